// The hidden test commands against the simulated device.
#include "OConsole.h"
#include "RecordingFormat.h"
#include "SimCardFixture.h"
#include "SimTestCommands.h"
#include "TestCommands.h"
#include "TestDialogs.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <thread>

namespace {

class TestCommandsFixture : public SimCardFixture {
protected:
    void ServeWithTestCommands()
    {
        SimServeOptions options;
        options.fast = true;
        m_Server = std::make_unique<OSimServer>(CardPath(), SimFaults{}, options);
        m_Commands = std::make_unique<OSimTestCommands>(m_Server->Device());
        std::string error;
        ASSERT_TRUE(m_Server->Start(error)) << error;
        m_Port = std::make_unique<OComPort>();
        ASSERT_TRUE(m_Port->OpenPath(m_Server->PortPath(), 57600)) << m_Port->LastErrorText;
    }
    // Console output of the test commands, captured in a file.
    std::string Captured()
    {
        std::ifstream in(m_Dir.File("console.txt"));
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    void CaptureConsole()
    {
        m_ConsoleFile = std::fopen(m_Dir.File("console.txt").c_str(), "w");
        m_OldConsole = Console().Output();
        Console().SetOutput(fileno(m_ConsoleFile));
    }
    void TearDown() override
    {
        if (m_ConsoleFile) {
            Console().SetOutput(m_OldConsole);
            std::fclose(m_ConsoleFile);
        }
        SimCardFixture::TearDown();
    }
    std::unique_ptr<OSimTestCommands> m_Commands;
    std::FILE* m_ConsoleFile = nullptr;
    int m_OldConsole = 2;
};

} // namespace

TEST_F(TestCommandsFixture, FillTestWritesBlocksUntilTheDeviceRefuses)
{
    ServeWithTestCommands();
    CaptureConsole();
    FillTestProgress() = FillTestState{};
    EXPECT_EQ(FillTest(*m_Port, 3), 3);
    const auto sent = m_Server->TakeReceived();
    ASSERT_GE(sent.size(), 7u);
    EXPECT_EQ(std::vector<uint8_t>(sent.begin(), sent.begin() + 7),
              (std::vector<uint8_t>{0xCD, 0x0D, 0x00, 0x02, 0x00, 0x01, 0xF1}));
    EXPECT_EQ(FillTestProgress().blockAddress, 0x01000200u + 3 * 512);
    EXPECT_EQ(m_Commands->FillCount(), 3);

    // A block outside the card: the device answers 00 E4.
    FillTestProgress().blockAddress = 0x20000000;
    EXPECT_EQ(FillTest(*m_Port), 0);
    const std::string console = Captured();
    EXPECT_NE(console.find(" fill=F1\n"), std::string::npos) << console;
    EXPECT_NE(console.find(" fill=F3\n"), std::string::npos) << console;
    EXPECT_NE(console.find("ошибка записи !!! 0, E4    \n"), std::string::npos) << console;
}

TEST_F(TestCommandsFixture, SoundUploadSendsWholeBlocksAndPlays)
{
    ServeWithTestCommands();
    CaptureConsole();
    TestDialogs dialogs;
    // 1000 bytes of samples: one block goes, the last 488 bytes do not.
    std::vector<uint8_t> wav(44 + 1000);
    std::memcpy(wav.data(), "RIFF", 4);
    WriteLE32(wav.data() + 4, uint32_t(wav.size() - 8));
    std::memcpy(wav.data() + 8, "WAVEfmt ", 8);
    WriteLE32(wav.data() + 16, 16);
    WriteLE16(wav.data() + 20, 1);
    WriteLE16(wav.data() + 22, 1);
    WriteLE32(wav.data() + 24, 8000);
    WriteLE32(wav.data() + 28, 8000);
    WriteLE16(wav.data() + 32, 1);
    WriteLE16(wav.data() + 34, 8);
    std::memcpy(wav.data() + 36, "data", 4);
    WriteLE32(wav.data() + 40, 1000);
    for (size_t i = 44; i < wav.size(); ++i)
        wav[i] = uint8_t(i * 13);
    const std::string path = m_Dir.File("sound.wav");
    std::FILE* f = std::fopen(path.c_str(), "wb");
    std::fwrite(wav.data(), 1, wav.size(), f);
    std::fclose(f);

    EXPECT_TRUE(UploadSound(*m_Port, path));
    const auto blocks = m_Commands->SoundBlocks();
    ASSERT_EQ(blocks.size(), 1u);
    EXPECT_EQ(blocks.begin()->first, kSoundAreaAddress);
    EXPECT_EQ(blocks.begin()->second, std::vector<uint8_t>(wav.begin() + 44, wav.begin() + 44 + 512));
    EXPECT_NE(Captured().find("Начинаю запись SS = 1000\n"), std::string::npos);
    EXPECT_EQ(dialogs.Count(), 0u);

    EXPECT_FALSE(UploadSound(*m_Port, m_Dir.File("missing.wav")));
    ASSERT_EQ(dialogs.Count(), 1u);
    EXPECT_EQ(dialogs.Messages()[0].text, "не могу открыть файл !!! \n");

    PlaySound(*m_Port);
    for (int i = 0; i < 5000 && m_Commands->PlayCount() == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_EQ(m_Commands->PlayCount(), 1);
}
