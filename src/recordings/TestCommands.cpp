#include "TestCommands.h"

#include "OComPort.h"
#include "OConsole.h"
#include "ODialogs.h"
#include "RecordingFormat.h"

#include <algorithm>
#include <cstring>

FillTestState& FillTestProgress()
{
    static FillTestState state;
    return state;
}

int FillTest(OComPort& port, int maxBlocks, const std::atomic<bool>* cancel)
{
    FillTestState& state = FillTestProgress();
    const uint32_t start = TickCountMs();
    uint64_t bytes = 0;
    int blocks = 0;
    ++state.fillValue;
    while (maxBlocks == 0 || blocks < maxBlocks) {
        if (cancel && cancel->load(std::memory_order_acquire))
            break;
        uint8_t request[7] = {0xCD, 0x0D};
        WriteLE32(request + 2, state.blockAddress);
        request[6] = state.fillValue;
        const uint32_t t0 = TickCountMs();
        port.Send(request, sizeof request);
        uint8_t answer[2] = {};
        int first = 0, second = 0;
        port.ReadWithTimeout(answer, 1, first, 1000);
        const uint32_t t1 = TickCountMs();
        port.ReadWithTimeout(answer + first, 1, second, 1000);
        const uint32_t t2 = TickCountMs();
        if (first + second != 2) {
            Console().Write("неправильный ответ на коменду !!! RdSz=").WriteInt(first + second).Write("\n");
            break;
        }
        Console().Write("t1=").WriteUInt(t1 - t0).Write(" \tt2=").WriteUInt(t2 - t1).Write("  \t");
        bytes += 512;
        // At least one millisecond, so that a very quick first block has a speed.
        const uint32_t elapsed = std::max<uint32_t>(TickCountMs() - start, 1);
        if (answer[0] != 0x00 || answer[1] != 0xE5) {
            Console().Write("ошибка записи !!! ").WriteHex(answer[0]).Write(", ").WriteHex(answer[1]);
            Console().Write("    ").Write("\n");
            break;
        }
        const double speed = double(bytes) / elapsed * 1000 * 0.0009765625;
        Console().Write("speed=").WriteFloat(speed).Write(" Кбайт/с").Write(" fill=").WriteHex(state.fillValue);
        Console().Write("\n");
        ++blocks;
        state.blockAddress += 512;
        ++state.fillValue;
    }
    return blocks;
}

bool WriteSoundBlock(OComPort& port, uint32_t address, const uint8_t data[512])
{
    uint8_t request[6] = {0xCD, 0x17};
    WriteLE32(request + 2, address);
    port.Send(request, sizeof request);
    uint8_t answer = 0xFF;
    int count = 0;
    port.ReadWithTimeout(&answer, 1, count, 100);
    bool ok = false;
    if (count == 1 && answer == 0x00) {
        port.Send(data, 512);
        ok = true;
    }
    answer = 0;
    port.ReadWithTimeout(&answer, 1, count, 100);
    return ok && count == 1 && answer == 0xE5;
}

namespace {

uint32_t LE32(const uint8_t* p)
{
    return ReadLE32(p);
}
uint16_t LE16(const uint8_t* p)
{
    return uint16_t(p[0] | p[1] << 8);
}

WavData WavError(const char* text)
{
    WavData result;
    result.error = text;
    return result;
}

} // namespace

WavData ParseWav(std::FILE* file)
{
    std::fseek(file, 0, SEEK_END);
    const long fileSize = std::ftell(file);
    if (fileSize <= 35)
        return WavError("Файл слишко которок, чтобы быть корректным RIFF WAVE файлом !");
    std::fseek(file, 0, SEEK_SET);
    uint8_t riff[8];
    if (std::fread(riff, 1, 8, file) != 8 || std::memcmp(riff, "RIFF", 4) != 0)
        return WavError("Нет сигнатуры RIFF !");
    if (uint64_t(fileSize) != uint64_t(LE32(riff + 4)) + 8)
        return WavError("Размер RIFF не соответствует !");
    uint8_t wave[12];
    if (std::fread(wave, 1, 12, file) != 12 || std::memcmp(wave, "WAVEfmt ", 8) != 0 || LE32(wave + 8) < 16)
        return WavError("WAVEfmt сигнатура или ее размер !");
    const uint32_t formatSize = LE32(wave + 8);
    uint8_t format[16];
    if (std::fread(format, 1, 16, file) != 16 || LE16(format) != 1)
        return WavError("Это не PCM - формат !");
    const uint16_t bits = LE16(format + 14);
    if (bits != 8 && bits != 16)
        return WavError("Открываю только 8 и 16-битные WAVE - файлы !!!");
    long position = 20 + long(formatSize) + (formatSize & 1);
    for (;;) {
        uint8_t chunk[8];
        if (std::fseek(file, position, SEEK_SET) != 0 || std::fread(chunk, 1, 8, file) != 8)
            return WavError("Не могу найти сегмент данных - конец файла !");
        const uint32_t size = LE32(chunk + 4);
        if (std::memcmp(chunk, "data", 4) == 0) {
            WavData result;
            result.offset = position + 8;
            result.size = size;
            return result;
        }
        // Chunks of odd size are followed by a pad byte.
        position += 8 + long(size) + long(size & 1);
    }
}

bool UploadSound(OComPort& port, const std::string& path)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        Dialogs().Message("не могу открыть файл !!! \n", kAppTitle, MsgIcon::None);
        return false;
    }
    const WavData wav = ParseWav(file);
    if (!wav.error.empty()) {
        Dialogs().Message(wav.error, kAppTitle, MsgIcon::None);
        std::fclose(file);
        return false;
    }
    std::fseek(file, wav.offset, SEEK_SET);
    Console().Write("Начинаю запись SS = ").WriteInt(int32_t(wav.size)).Write("\n");
    bool ok = true;
    uint8_t block[512];
    for (uint32_t i = 0; i < wav.size / 512; ++i) {
        // A data chunk that claims more than the file holds ends with the file.
        if (std::fread(block, 1, sizeof block, file) != sizeof block)
            break;
        if (!WriteSoundBlock(port, kSoundAreaAddress + 512 * i, block)) {
            Dialogs().Message("Не могу писать в  flash !", kAppTitle, MsgIcon::None);
            ok = false;
            break;
        }
        Console().Write("Записано ").WriteInt(int32_t(512 * i)).Write("    \r");
    }
    Console().Write("\n");
    std::fclose(file);
    return ok;
}

void PlaySound(OComPort& port)
{
    uint8_t request[6] = {0xCD, 0x1B};
    WriteLE32(request + 2, kSoundAreaAddress);
    port.Send(request, sizeof request);
}
