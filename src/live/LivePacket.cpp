#include "LivePacket.h"

#include "StrFormat.h"

std::string LiveStateText(uint8_t flags, uint8_t startError, uint8_t writeError)
{
    if (flags & kLiveRecording) {
        std::string text = "ИДЕТ ЗАПИСЬ на SD";
        if (flags & kLiveCardV2)
            text += "v2";
        if (flags & kLiveCardHC)
            text += " HC";
        return text;
    }
    if (flags & kLiveError) {
        if (startError != 0)
            return StrFormat("ОШИБКА начала записи на SD (0x%02x)", startError);
        return StrFormat("ОШИБКА записи на SD (0x%02x)", writeError);
    }
    return "SD-карта ОТСУТСТВУЕТ";
}

uint16_t LiveFilteredSample(double filterOutput)
{
    double v = filterOutput * 10.0;
    // NaN (a filter that blew up) is shown as the middle line, not as garbage.
    if (!(v >= -32768.0))
        v = v != v ? 0.0 : -32768.0;
    if (v > 32767.0)
        v = 32767.0;
    return static_cast<uint16_t>(static_cast<int32_t>(v) + 0x8000);
}

std::string LiveStatusLine(const LiveStatus& s)
{
    return StrFormat("%s, ФАЙЛ=0x%x, ПОЗ=0x%x, ВРЕМЯ %s%0.1f сек", s.stateText.c_str(), s.firstSector, s.position,
                     s.dateText.c_str(), s.elapsed) +
           StrFormat(", T = %0.1f, F=%f Гц,    X=%+02.1f, Y=%+02.1f, Z=%+02.1f", s.temperature, s.frequency, s.x, s.y,
                     s.z);
}
