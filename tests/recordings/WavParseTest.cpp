#include "TempDir.h"
#include "TestCommands.h"
#include "RecordingFormat.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <vector>

namespace {

// A PCM WAV: RIFF header, "fmt " block of fmtSize, optional extra chunk, data.
std::vector<uint8_t> MakeWav(uint32_t dataSize, uint32_t fmtSize = 16, const std::string& extraChunk = "",
                             uint32_t extraSize = 0)
{
    std::vector<uint8_t> w;
    auto put = [&](const void* p, size_t n) { w.insert(w.end(), (const uint8_t*)p, (const uint8_t*)p + n); };
    auto put32 = [&](uint32_t v) {
        uint8_t b[4];
        WriteLE32(b, v);
        put(b, 4);
    };
    auto put16 = [&](uint16_t v) {
        uint8_t b[2];
        WriteLE16(b, v);
        put(b, 2);
    };
    put("RIFF", 4);
    put32(0);
    put("WAVEfmt ", 8);
    put32(fmtSize);
    put16(1);
    put16(1);
    put32(8000);
    put32(16000);
    put16(2);
    put16(16);
    w.resize(w.size() + fmtSize - 16);
    if (!extraChunk.empty()) {
        put(extraChunk.data(), 4);
        put32(extraSize);
        w.resize(w.size() + extraSize + (extraSize & 1));
    }
    put("data", 4);
    put32(dataSize);
    w.resize(w.size() + dataSize, 0x5A);
    WriteLE32(w.data() + 4, uint32_t(w.size() - 8));
    return w;
}

WavData Parse(const std::vector<uint8_t>& bytes)
{
    std::FILE* f = std::tmpfile();
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    const WavData result = ParseWav(f);
    std::fclose(f);
    return result;
}

} // namespace

TEST(ParseWav, FindsTheSamples)
{
    const WavData plain = Parse(MakeWav(1000));
    EXPECT_EQ(plain.error, "");
    EXPECT_EQ(plain.offset, 44);
    EXPECT_EQ(plain.size, 1000u);

    // A longer format block and an odd-sized chunk with its pad byte before the data.
    const WavData other = Parse(MakeWav(600, 18, "LIST", 5));
    EXPECT_EQ(other.error, "");
    EXPECT_EQ(other.offset, 44 + 2 + 8 + 6);
    EXPECT_EQ(other.size, 600u);
}

TEST(ParseWav, RejectsWhatItCannotPlay)
{
    struct Case {
        const char* what;
        std::function<void(std::vector<uint8_t>&)> spoil;
        const char* error;
    };
    const Case cases[] = {
        {"35 bytes", [](auto& w) { w.resize(35); }, "Файл слишко которок, чтобы быть корректным RIFF WAVE файлом !"},
        {"no RIFF", [](auto& w) { w[3] = 'X'; }, "Нет сигнатуры RIFF !"},
        {"RIFF size one short", [](auto& w) { WriteLE32(w.data() + 4, ReadLE32(w.data() + 4) - 1); },
         "Размер RIFF не соответствует !"},
        {"no fmt", [](auto& w) { w[15] = '_'; }, "WAVEfmt сигнатура или ее размер !"},
        {"format block too small", [](auto& w) { WriteLE32(w.data() + 16, 14); }, "WAVEfmt сигнатура или ее размер !"},
        {"float samples", [](auto& w) { w[20] = 3; }, "Это не PCM - формат !"},
        {"24 bits", [](auto& w) { w[34] = 24; }, "Открываю только 8 и 16-битные WAVE - файлы !!!"},
        {"no data chunk", [](auto& w) { std::memcpy(w.data() + 36, "junk", 4); },
         "Не могу найти сегмент данных - конец файла !"},
    };
    for (const Case& c : cases) {
        auto wav = MakeWav(100);
        c.spoil(wav);
        EXPECT_EQ(Parse(wav).error, c.error) << c.what;
    }
}
