#include "IntelHex.h"

#include "Fatal.h"
#include "OConsole.h"
#include "StrFormat.h"

#include <cerrno>
#include <fstream>

namespace {

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// A record's bytes, from the count to the checksum, add up to 0 modulo 256.
// A record cut short or with a character that is not a digit fails too.
bool ChecksumHolds(const std::string& line, int count)
{
    size_t position = 1;
    unsigned sum = 0;
    for (int i = 0; i < count + 5; ++i) {
        if (position + 2 > line.size())
            return false;
        if (HexDigit(line[position]) < 0 || HexDigit(line[position + 1]) < 0)
            return false;
        sum += ParseHexPair(line, position);
    }
    return (sum & 0xFF) == 0;
}

} // namespace

uint8_t ParseHexPair(const std::string& line, size_t& position)
{
    const int high = position < line.size() ? HexDigit(line[position]) : -1;
    const int low = position + 1 < line.size() ? HexDigit(line[position + 1]) : -1;
    position += 2;
    if (high < 0 || low < 0)
        return 255;
    return static_cast<uint8_t>(high * 16 + low);
}

HexLoadReport LoadHexFile(const std::string& path, OProgramImage& image)
{
    HexLoadReport report;
    Console().Write("Читаю файл \n");
    std::ifstream file(path);
    if (!file)
        return report;
    report.opened = true;
    std::string line;
    int lineNumber = 0;
    while (std::getline(file, line)) {
        ++lineNumber;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line[0] != ':')
            continue;
        size_t position = 1;
        const int count = ParseHexPair(line, position);
        const int high = ParseHexPair(line, position);
        const int low = ParseHexPair(line, position);
        const int address = high * 256 + low;
        const int type = ParseHexPair(line, position);
        if (!ChecksumHolds(line, count)) {
            ++report.badChecksums;
            Console().Write(StrFormat("Строка %d: неверная контрольная сумма или запись повреждена\n", lineNumber));
        }
        if (type != 0)
            continue;
        if (address >= kImageBytes) {
            Console().Write("Adr = ").WriteHex(address).Write(" вне диапазона, sz = ").WriteInt(count).Write("\n");
            continue;
        }
        report.total += count;
        for (int i = 0; i < count; ++i) {
            if (address + i >= kImageBytes) {
                Console().Write("Adr = ").WriteHex(address + i).Write(" вне диапазона \n");
                continue;
            }
            image[static_cast<size_t>(address + i)] = ParseHexPair(line, position);
        }
    }
    Console().Write("Прочитано ").WriteInt(report.total).Write(" байт \n");
    return report;
}

std::string FormatIntelHex(const OProgramImage& image)
{
    constexpr int kRecordBytes = 16;
    std::string text;
    text.reserve(static_cast<size_t>(kImageBytes / kRecordBytes) * 44 + 12);
    for (int address = 0; address < kImageBytes; address += kRecordBytes) {
        unsigned sum = kRecordBytes + (address >> 8) + (address & 0xFF);
        text += StrFormat(":%02X%04X00", kRecordBytes, address);
        for (int i = 0; i < kRecordBytes; ++i) {
            const uint8_t byte = image[static_cast<size_t>(address + i)];
            sum += byte;
            text += StrFormat("%02X", byte);
        }
        text += StrFormat("%02X\n", (0x100 - (sum & 0xFF)) & 0xFF);
    }
    text += ":00000001FF\n";
    return text;
}

bool SaveIntelHex(const std::string& path, const OProgramImage& image, std::string& error)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (file)
        file << FormatIntelHex(image);
    if (file)
        file.close();
    if (!file) {
        error = StrFormat("Не могу записать файл %s\n", path.c_str()) + SystemErrorText(static_cast<uint32_t>(errno));
        return false;
    }
    return true;
}
