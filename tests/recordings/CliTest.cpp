// brenna-cli's recording commands against brenna-sim serving the demo card.
#include "RecordingFormat.h"
#include "SimProcess.h"
#include "StrFormat.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <sys/wait.h>
#include <vector>

namespace {

struct CommandResult {
    int exitCode = -1;
    std::string out, err;
};

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class CliFixture : public testing::Test {
protected:
    void SetUp() override
    {
        const CommandResult made = Shell(Bin("brenna-sim") + " make-card " + Card() + " --size 64M --demo");
        ASSERT_EQ(made.exitCode, 0) << made.err;
    }
    void TearDown() override { StopSim(); }

    std::string Bin(const std::string& name) const { return TestBinFolder() + "/" + name; }
    std::string Card() const { return m_Dir.File("card.img"); }

    CommandResult Shell(const std::string& command)
    {
        const std::string out = m_Dir.File("out.txt"), err = m_Dir.File("err.txt");
        CommandResult result;
        const int status = std::system((command + " >" + out + " 2>" + err + " </dev/null").c_str());
        result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        result.out = ReadFile(out);
        result.err = ReadFile(err);
        return result;
    }
    CommandResult Cli(const std::string& arguments)
    {
        return Shell(Bin("brenna-cli") + " --port " + m_Port + " " + arguments);
    }

    // fast: unpaced; otherwise at the line rate of the device's speed.
    void StartSim(const std::string& options = "", bool fast = true)
    {
        StopSim();
        std::vector<std::string> arguments = {Bin("brenna-sim"), "serve", Card()};
        if (fast)
            arguments.push_back("--fast");
        std::istringstream words(options);
        for (std::string word; words >> word;)
            arguments.push_back(word);
        m_Sim = std::make_unique<SimProcess>(arguments);
        m_Port = m_Sim->Port();
        ASSERT_FALSE(m_Port.empty());
    }
    void StopSim()
    {
        m_Sim.reset();
        m_Port.clear();
    }
    std::string CardBytes(uint32_t first, uint32_t count)
    {
        std::ifstream in(Card(), std::ios::binary);
        in.seekg(std::streamoff(first) * kSectorSize);
        std::string bytes(size_t(count) * kSectorSize, '\0');
        in.read(bytes.data(), std::streamsize(bytes.size()));
        return bytes;
    }

    TempDir m_Dir;
    std::unique_ptr<SimProcess> m_Sim;
    std::string m_Port;
};

std::vector<std::vector<std::string>> SplitRows(const std::string& text)
{
    std::vector<std::vector<std::string>> rows;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        std::vector<std::string> cells;
        size_t start = 0;
        for (size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
            cells.push_back(line.substr(start, tab - start));
        cells.push_back(line.substr(start));
        rows.push_back(cells);
    }
    return rows;
}

} // namespace

TEST_F(CliFixture, ListsTheDemoCard)
{
    StartSim();
    const CommandResult list = Cli("list");
    ASSERT_EQ(list.exitCode, 0) << list.err;
    const auto rows = SplitRows(list.out);
    ASSERT_EQ(rows.size(), 6u) << list.out;
    EXPECT_EQ(rows[0], (std::vector<std::string>{"№", "Первый сектор файла", "Последний сектор", "Размер (байт)",
                                                 "Длительность", "Дата начала записи", "Примечание"}));
    EXPECT_EQ(rows[1][1], "0x110ac");
    // Number, first, last, size, duration and note; the date depends on the cache.
    const std::vector<std::vector<std::string>> expected = {
        {"1", "0x10bc8", "0x110ab", "641024", "300.0", ""},
        {"2", "0x10bc7", "0x10bc7", "512", "0.2", ""},
        {"3", "0x109d2", "0x10bc6", "256512", "120.0", ""},
        {"4", "0x10000", "0x109c7", "1282048", "600.0", "пропуск 0xa"},
    };
    for (size_t i = 0; i < expected.size(); ++i) {
        const auto& row = rows[i + 2];
        ASSERT_EQ(row.size(), 7u);
        EXPECT_EQ((std::vector<std::string>{row[0], row[1], row[2], row[3], row[4], row[6]}), expected[i]);
    }
}

TEST_F(CliFixture, DownloadsMatchTheCard)
{
    StartSim();
    const CommandResult ekg = Cli("download 4 " + m_Dir.File("ten.экг") + " --speed 921600");
    EXPECT_EQ(ekg.exitCode, 0) << ekg.err;
    EXPECT_TRUE(ReadFile(m_Dir.File("ten.экг")) == CardBytes(0x10000, 2504));
    EXPECT_NE(ekg.err.find("Загружено 1252 кбайт из 1252"), std::string::npos) << ekg.err;

    const CommandResult wav = Cli("download 2 " + m_Dir.File("one.wav") + " --speed 57600");
    EXPECT_EQ(wav.exitCode, 0) << wav.err;
    const std::string bytes = ReadFile(m_Dir.File("one.wav"));
    ASSERT_EQ(bytes.size(), 46u + 468u);
    EXPECT_EQ(bytes.substr(46), CardBytes(0x10bc7, 1).substr(44));

    // The first row has no known total: no "из 0" anywhere.
    const CommandResult free = Cli("download 0 " + m_Dir.File("free.экг"));
    EXPECT_EQ(free.exitCode, 1);
    EXPECT_NE(free.err.find("Загружено 0 кбайт\n"), std::string::npos) << free.err;
    EXPECT_EQ(free.err.find("из 0"), std::string::npos) << free.err;

    EXPECT_EQ(Cli("download 9 " + m_Dir.File("none.экг")).exitCode, 1);
    EXPECT_EQ(Cli("download 1 " + m_Dir.File("x.экг") + " --speed 1234").exitCode, 1);
}

TEST_F(CliFixture, FailedDownloadExitsWithTheMessageAndKeepsVerifiedSectors)
{
    StartSim("--fault stream-error-at 100 --fault token 0x0C");
    const CommandResult cut = Cli("download 4 " + m_Dir.File("cut.экг") + " --speed 460800");
    EXPECT_EQ(cut.exitCode, 1);
    EXPECT_NE(cut.err.find("Ошибка чтения, ответ SD-карты = 0x0c  вместо 0xfe, было загружено 50 кбайт"),
              std::string::npos)
        << cut.err;
    EXPECT_TRUE(ReadFile(m_Dir.File("cut.экг")) == CardBytes(0x10000, 100));
}

TEST_F(CliFixture, HiddenTestCommands)
{
    StartSim();
    const CommandResult fill = Cli("fill-test --blocks 2");
    EXPECT_EQ(fill.exitCode, 0) << fill.err;
    EXPECT_EQ(fill.out, "2\n");
    EXPECT_NE(fill.err.find(" fill=F2\n"), std::string::npos) << fill.err;
    EXPECT_EQ(Cli("play-sound").exitCode, 0);
    const CommandResult upload = Cli("upload-sound " + m_Dir.File("missing.wav"));
    EXPECT_EQ(upload.exitCode, 1);
    EXPECT_NE(upload.err.find("не могу открыть файл !!!"), std::string::npos) << upload.err;
}

TEST_F(CliFixture, DownloadFromASimulatorKilledMidTransferExitsWithTheVerifiedSectors)
{
    StartSim("", false); // paced: 2504 sectors take minutes at 57600 baud
    const std::string file = m_Dir.File("killed.экг"), err = m_Dir.File("killed.err");
    const pid_t cli = ::fork();
    if (cli == 0) {
        const std::string command = "exec " + Bin("brenna-cli") + " --port " + m_Port + " download 4 " + file +
                                    " --speed 57600 >/dev/null 2>" + err + " </dev/null";
        execl("/bin/sh", "sh", "-c", command.c_str(), nullptr);
        _exit(127);
    }
    for (int i = 0; i < 60000 && ReadFile(file).size() < 10 * kSectorSize; ++i)
        ::usleep(1000);
    ASSERT_GE(ReadFile(file).size(), 10u * kSectorSize);
    m_Sim->Kill();
    // Bounded so that a download that never ends fails instead of hanging.
    int status = 0;
    pid_t ended = 0;
    for (int i = 0; i < 60000 && ended == 0; ++i) {
        ended = ::waitpid(cli, &status, WNOHANG);
        if (ended == 0)
            ::usleep(1000);
    }
    if (ended == 0) {
        ::kill(cli, SIGKILL);
        ::waitpid(cli, &status, 0);
        FAIL() << "the download did not end";
    }
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    const std::string messages = ReadFile(err);
    EXPECT_NE(messages.find("Ошибка при чтении данных с выбранного порта\n"), std::string::npos) << messages;
    EXPECT_EQ(messages.find("write!"), std::string::npos) << messages;
    const std::string bytes = ReadFile(file);
    ASSERT_EQ(bytes.size() % kSectorSize, 0u);
    EXPECT_TRUE(bytes == CardBytes(0x10000, uint32_t(bytes.size() / kSectorSize)));
    EXPECT_NE(messages.find(StrFormat("Проверенных секторов в файле: %u", unsigned(bytes.size() / kSectorSize))),
              std::string::npos)
        << messages;
}

TEST_F(CliFixture, HelpIsOnStandardOutputWrappedAndUniform)
{
    const CommandResult help = Shell(Bin("brenna-cli") + " help");
    ASSERT_EQ(help.exitCode, 0);
    EXPECT_EQ(help.err, "");
    std::istringstream lines(help.out);
    std::string flat;
    int usageLines = 0;
    for (std::string line; std::getline(lines, line);) {
        size_t columns = 0;
        for (const unsigned char c : line)
            columns += (c & 0xC0) != 0x80;
        EXPECT_LE(columns, 80u) << line;
        // A command's usage line: two blanks, then its name; --port P is
        // said once for all of them, never per command.
        if (line.rfind("  ", 0) == 0 && line[2] != ' ') {
            ++usageLines;
            EXPECT_EQ(line.find("--port"), std::string::npos) << line;
        }
        flat += line + " ";
    }
    EXPECT_GE(usageLines, 19);
    for (const char* command : {"  stop\n", "  download N OUT", "  read-sector SECTOR", "  analyse FILE"})
        EXPECT_NE(help.out.find(command), std::string::npos) << command;
    // Descriptions wrap: compare them with single blanks.
    std::string words;
    std::istringstream split(flat);
    for (std::string w; split >> w;)
        words += w + " ";
    EXPECT_NE(words.find("N = row number of `list` (1 = the first recording)"), std::string::npos) << help.out;
    // Without a command the same help explains the mistake on standard error.
    const CommandResult none = Shell(Bin("brenna-cli"));
    EXPECT_EQ(none.exitCode, 2);
    EXPECT_EQ(none.out, "");
    EXPECT_EQ(none.err, help.out);
}

TEST_F(CliFixture, SectorNumbersAreDecimalOrHexadecimalNeverOctal)
{
    StartSim();
    // Sector 0x10000 opens the oldest recording: its signature AA 55 39 A7.
    const std::string expected = "0000: aa 55 39 a7\n";
    for (const char* sector : {"0x10000", "65536", "0065536", "0X10000"}) {
        const CommandResult read = Cli(std::string("read-sector ") + sector + " --len 4");
        EXPECT_EQ(read.exitCode, 0) << sector << ": " << read.err;
        EXPECT_EQ(read.out, expected) << sector;
    }
    for (const char* wrong : {"0x", "12abc", "-1", "0x1g", "4294967296"})
        EXPECT_EQ(Cli(std::string("read-sector ") + wrong).exitCode, 1) << wrong;
}

TEST_F(CliFixture, SilentDeviceGivesNoListTitlesAndNoButtonsToPress)
{
    StartSim("--fault silent");
    const CommandResult list = Cli("list");
    EXPECT_EQ(list.exitCode, 1);
    EXPECT_EQ(list.out, "") << "titles only once the device has answered";
    EXPECT_NE(list.err.find("командой stop"), std::string::npos) << list.err;
    EXPECT_EQ(list.err.find("кнопку"), std::string::npos) << list.err;
}
