// Loading Intel HEX records into the program image, the hex view's text, and
// writing an image back as a file.
#include "ConsoleCapture.h"
#include "HexView.h"
#include "IntelHex.h"
#include "OSettings.h"
#include "OpenHexFile.h"
#include "StrFormat.h"
#include "TempDir.h"
#include "TestDialogs.h"

#include <gtest/gtest.h>

#include <fstream>
#include <algorithm>
#include <random>

namespace {

struct Loaded {
    OProgramImage image = ErasedImage();
    HexLoadReport report;
    std::string console;
};

Loaded LoadText(const std::string& text)
{
    TempDir dir;
    const std::string path = dir.File("firmware.hex");
    std::ofstream(path) << text;
    Loaded loaded;
    ConsoleCapture console;
    loaded.report = LoadHexFile(path, loaded.image);
    loaded.console = console.Text();
    return loaded;
}

std::string Bytes(const OProgramImage& image, int from, int count)
{
    std::string text;
    for (int i = 0; i < count; ++i)
        text += StrFormat("%02X", image[static_cast<size_t>(from + i)]);
    return text;
}

} // namespace

TEST(HexLoad, RecordsOfTheFirmwareFile)
{
    struct Case {
        const char* name;
        const char* text;
        int at;            // first byte to look at
        const char* bytes; // the image there afterwards
        int total;
        const char* console; // the console between "Читаю файл" and "Прочитано"
    };
    const Case cases[] = {
        {"first record", ":040000000120831642\n", 0, "01208316FF3F", 4, ""},
        {"configuration word", ":02400E00723FFF\n", 0, "FF3FFF3F", 0, "Adr = 400E вне диапазона, sz = 2\n"},
        {"across the end", ":041FFE00AABBCCDDD1\n", 0x1FFC, "FF3FAABB", 4,
         "Adr = 2000 вне диапазона \nAdr = 2001 вне диапазона \n"},
        {"extended address", ":020000040000FA\n", 0, "FF3F", 0, ""},
        {"end record and text", "; comment\r\n:00000001FF\r\n", 0, "FF3F", 0, ""},
        {"lower case, CRLF", ":04001000abcdef1273\r\n", 0x10, "ABCDEF12", 4, ""},
        {"short record", ":0400000001\n", 0, "01FFFFFF", 4,
         "Строка 1: неверная контрольная сумма или запись повреждена\n"},
        {"bad checksum still loads", ":040000000120831600\n", 0, "01208316", 4,
         "Строка 1: неверная контрольная сумма или запись повреждена\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Loaded loaded = LoadText(c.text);
        EXPECT_TRUE(loaded.report.opened);
        EXPECT_EQ(Bytes(loaded.image, c.at, static_cast<int>(std::string(c.bytes).size() / 2)), c.bytes);
        EXPECT_EQ(loaded.report.total, c.total);
        EXPECT_EQ(loaded.console,
                  std::string("Читаю файл \n") + c.console + StrFormat("Прочитано %d байт \n", c.total));
    }
}

TEST(HexLoad, KeepsWhatTheFileDoesNotMention)
{
    TempDir dir;
    const std::string path = dir.File("part.hex");
    std::ofstream(path) << ":02000200AAAAAA\n";
    OProgramImage image = ErasedImage();
    SetImageWord(image, 0, 0x1234);
    ConsoleCapture quiet;
    LoadHexFile(path, image);
    EXPECT_EQ(ImageWord(image, 0), 0x1234);
    EXPECT_EQ(ImageWord(image, 1), 0xAAAA);
    EXPECT_EQ(ImageWord(image, 2), kErasedWord);
    EXPECT_FALSE(LoadHexFile(dir.File("missing.hex"), image).opened);
}

TEST(HexView, LinesOfEightWordsHighByteFirst)
{
    OProgramImage image = ErasedImage();
    image[0] = 0x01, image[1] = 0x20, image[2] = 0x83, image[3] = 0x16;
    const std::string text = HexViewText(image);
    EXPECT_EQ(text.substr(0, 62), "0000    2001  1683  3fff  3fff  3fff  3fff  3fff  3fff  \r\n0010");
    EXPECT_EQ(text.size(), static_cast<size_t>(kHexViewLines) * 58);
    EXPECT_EQ(HexViewLine(image, kHexViewLines - 1).substr(0, 8), "1FF0    ");

    OProgramImage device = ErasedImage();
    device[11] = 0x00; // second byte of word 5
    EXPECT_EQ(DifferingWords(image, device), (std::vector<int>{0, 1, 5}));
    EXPECT_EQ(HexViewWordColumn(5), 38);
    EXPECT_EQ(HexViewLine(image, 0).substr(HexViewWordColumn(1), 6), "1683  ");
}

TEST(HexWrite, WholeImageReadsBackWithGoodChecksums)
{
    OProgramImage image;
    std::mt19937 random(7);
    for (uint8_t& byte : image)
        byte = static_cast<uint8_t>(random());
    TempDir dir;
    const std::string path = dir.File("out.hex");
    std::string error;
    ASSERT_TRUE(SaveIntelHex(path, image, error)) << error;

    const std::string text = FormatIntelHex(image);
    EXPECT_EQ(text.substr(0, 9), ":10000000");
    EXPECT_EQ(text.substr(text.size() - 12), ":00000001FF\n");
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), kImageBytes / 16 + 1);

    OProgramImage back = ErasedImage();
    ConsoleCapture console;
    const HexLoadReport report = LoadHexFile(path, back);
    EXPECT_EQ(report.badChecksums, 0);
    EXPECT_EQ(report.total, kImageBytes);
    EXPECT_TRUE(back == image);
    EXPECT_FALSE(SaveIntelHex(dir.File("no/such/folder/out.hex"), image, error));
    EXPECT_NE(error.find("Не могу записать файл"), std::string::npos);
}

TEST(OpenHexFile, RemembersTheFolderAndLoads)
{
    UseFreshSettings();
    TestDialogs dialogs;
    TempDir dir;
    const std::string path = dir.File("fw.hex");
    std::ofstream(path) << ":040000000120831642\n";
    OProgramImage image = ErasedImage();
    ConsoleCapture quiet;

    dialogs.QueueFile("");
    EXPECT_FALSE(OpenHexFile(image));
    EXPECT_EQ(image, ErasedImage());
    dialogs.QueueFile(path);
    EXPECT_EQ(OpenHexFile(image), path);
    EXPECT_EQ(ImageWord(image, 0), 0x2001);
    EXPECT_EQ(OSettings::GetString("OPEN", "PATH", ""), dir.Path());

    const auto requests = dialogs.FileRequests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].folder, "d:\\data");
    EXPECT_EQ(requests[0].title, "Выбирите имя файла с прошивкой");
    EXPECT_EQ(requests[0].defaultExt, "hex");
    ASSERT_EQ(requests[0].filters.size(), 2u);
    EXPECT_EQ(requests[0].filters[0].first, "HEX - файлы (*.hex)");
    EXPECT_EQ(requests[1].folder, "d:\\data");
}
