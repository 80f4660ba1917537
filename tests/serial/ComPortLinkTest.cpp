// Opening, closing, sending, speeds and line failures of OComPort on a pty.
#include "OComPort.h"
#include "PortNames.h"
#include "PtyPair.h"
#include "PtyTermios.h"

#include "Fatal.h"
#include "StrFormat.h"
#include "TempDir.h"
#include "TestDialogs.h"

#include <atomic>
#include <cerrno>
#include <cstring>

namespace {

// Polls until the condition holds or about 20 s have passed.
template <typename Condition> bool Eventually(Condition condition)
{
    for (int i = 0; i < 20000; ++i) {
        if (condition())
            return true;
        PausePoll();
    }
    return condition();
}

struct CallsGuard {
    explicit CallsGuard(const PosixSerial::Calls* calls) { PosixSerial::SetCallsForTest(calls); }
    ~CallsGuard() { PosixSerial::SetCallsForTest(nullptr); }
};

} // namespace

TEST(ComPortOpen, MissingDeviceGivesPathAndSystemText)
{
    UseFreshSettings();
    TempDir dir;
    const std::string missing = dir.File("no-such-port");
    SetComPortPathOverride(7, missing);
    OComPort port;
    EXPECT_FALSE(port.Open(7, 57600));
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(port.LastErrorText, "Не могу открыть выбранный порт " + missing + "\n" + SystemErrorText(ENOENT));
}

TEST(ComPortOpen, GoodOpenClearsErrorAndOldRingContent)
{
    PtyPair pty;
    OComPort port;
    EXPECT_FALSE(port.OpenPath("/nonexistent/tty", 57600));
    ASSERT_TRUE(port.OpenPath(pty.slavePath, 57600)) << port.LastErrorText;
    EXPECT_EQ(port.LastErrorText, "");
    ASSERT_TRUE(pty.WriteAll("abcdef", 6));
    ASSERT_EQ(port.WaitAvailable(6, 20000), 6);
    port.Close();
    EXPECT_EQ(port.Available(), 6) << "closing keeps the ring as it is";
    ASSERT_TRUE(port.OpenPath(pty.slavePath, 57600));
    EXPECT_EQ(port.Available(), 0);
    ASSERT_TRUE(pty.WriteAll("Z", 1));
    uint8_t byte = 0;
    ASSERT_TRUE(port.WaitAndTake(&byte, 1, 20000));
    EXPECT_EQ(byte, 'Z');
}

TEST(ComPortSend, ClosedPortSendsNothingAndSaysNothing)
{
    TestDialogs dialogs;
    OComPort neverOpened;
    neverOpened.Send("\xCD\x0B", 2);
    PtyPair pty;
    OComPort closed;
    ASSERT_TRUE(closed.OpenPath(pty.slavePath, 57600));
    closed.Close();
    closed.Send("\xCD\x0B", 2);
    EXPECT_EQ(dialogs.Count(), 0u);
    ::fcntl(pty.master, F_SETFL, O_NONBLOCK);
    char byte;
    EXPECT_LT(::read(pty.master, &byte, 1), 1);
}

namespace {

// Fake writes: each accepts at most this many bytes, then fails or stalls.
std::atomic<int> g_WritesAllowed{0};
std::atomic<int> g_BytesPerWrite{1};
std::atomic<int> g_ThenErrno{EIO};

ssize_t LimitedWrite(int fd, const void* data, size_t length)
{
    if (g_WritesAllowed.fetch_sub(1) > 0)
        return ::write(fd, data, std::min(length, static_cast<size_t>(g_BytesPerWrite.load())));
    errno = g_ThenErrno.load();
    return -1;
}
const PosixSerial::Calls g_LimitedCalls = {nullptr, LimitedWrite, nullptr};

} // namespace

TEST(ComPortSend, WriteThatDoesNotCompleteSaysWhatFailedAndWhatToCheck)
{
    struct Case {
        const char* name;
        int writesAllowed;
        int errorAfter;
        int sent;
        std::string reason;
    };
    // A stall (EAGAIN) ends with the write timeout of 1000 ms per byte + 1500 ms.
    const Case cases[] = {{"fails at once", 0, EIO, 0, SystemErrorText(EIO)},
                          {"fails after a part", 1, EIO, 1, SystemErrorText(EIO)},
                          {"stalls after a part", 1, EAGAIN, 1, "Порт не принимал данные 3500 мс."}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestDialogs dialogs;
        PtyPair pty;
        OComPort port;
        ASSERT_TRUE(port.OpenPath(pty.slavePath, 57600));
        g_WritesAllowed = c.writesAllowed;
        g_BytesPerWrite = 1;
        g_ThenErrno = c.errorAfter;
        {
            CallsGuard guard(&g_LimitedCalls);
            port.Send("ab", 2);
        }
        const auto messages = dialogs.Messages();
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].text, OComPort::WriteFailedText(c.sent, 2, c.reason));
        EXPECT_EQ(messages[0].text.rfind(StrFormat("Не удалось передать команду устройству через COM-порт: "
                                                   "передано %d из 2 байт.\n",
                                                   c.sent) +
                                             c.reason + "\nПроверьте, что кабель устройства подключён",
                                         0),
                  0u)
            << messages[0].text;
        EXPECT_EQ(messages[0].caption, "ОШИБКА ПРИ РАБОТЕ С ПОРТОМ");
        EXPECT_EQ(messages[0].icon, MsgIcon::Exclamation);
        EXPECT_EQ(messages[0].buttons, MsgButtons::Ok);
        EXPECT_TRUE(port.IsOpen());
    }
}

TEST(ComPortSend, WriteInSmallPiecesDeliversTheWholeBlock)
{
    TestDialogs dialogs;
    PtyPair pty;
    OComPort port;
    ASSERT_TRUE(port.OpenPath(pty.slavePath, 57600));
    g_WritesAllowed = 1000;
    g_BytesPerWrite = 3;
    {
        CallsGuard guard(&g_LimitedCalls);
        port.Send("\xCD\x41\x00\x01\x02\x03\x04", 7);
    }
    EXPECT_EQ(dialogs.Count(), 0u);
    uint8_t sent[7] = {};
    ASSERT_TRUE(pty.ReadAll(sent, 7));
    EXPECT_EQ(std::memcmp(sent, "\xCD\x41\x00\x01\x02\x03\x04", 7), 0);
}

TEST(ComPortSpeed, FastRatesAreSetExactly)
{
    PtyPair pty;
    OComPort port;
    ASSERT_TRUE(port.OpenPath(pty.slavePath, 57600));
    EXPECT_EQ(TtyOutputSpeed(pty.slavePath), 57600);
    for (const int baud : {460800, 806400, 921600, 57600}) {
        SCOPED_TRACE(baud);
        EXPECT_TRUE(port.SetSpeed(baud)) << port.LastErrorText;
        EXPECT_EQ(port.Speed(), baud);
        EXPECT_EQ(TtyOutputSpeed(pty.slavePath), baud);
    }
}

TEST(ComPortSpeed, RefusedRateKeepsThePreviousSpeed)
{
    for (const RateFault fault : {RateFault::Refuses, RateFault::Rounds}) {
        SCOPED_TRACE(fault == RateFault::Refuses ? "refused" : "rounded");
        PtyPair pty;
        OComPort port;
        ASSERT_TRUE(port.OpenPath(pty.slavePath, 57600));
        {
            CallsGuard guard(MishandleRate(806400, fault));
            EXPECT_FALSE(port.SetSpeed(806400));
        }
        EXPECT_EQ(port.LastErrorText,
                  "Для COM-порта не удалось установить скорость обмена 806400, загрузка данных сорвана. Попробуйте "
                  "установить другую скорость обмена (например, стандартную 57600 бод)\n" +
                      SystemErrorText(EINVAL));
        EXPECT_TRUE(port.IsOpen());
        EXPECT_EQ(port.Speed(), 57600);
        EXPECT_EQ(TtyOutputSpeed(pty.slavePath), 57600);
    }
}

TEST(ComPortLine, HangUpStopsTheReaderAndCloseReturns)
{
    TestDialogs dialogs;
    PtyPair pty;
    OComPort port;
    ASSERT_TRUE(port.OpenPath(pty.slavePath, 57600));
    ASSERT_TRUE(pty.WriteAll("xy", 2));
    ASSERT_EQ(port.WaitAvailable(2, 20000), 2);
    pty.HangUp();
    ASSERT_TRUE(Eventually([&] { return port.LastReadError.load() != 0; }));
    EXPECT_EQ(port.ReaderStateForTest(), 0);
    EXPECT_TRUE(port.IsOpen()) << "the port stays open until the caller closes it";
    EXPECT_EQ(port.Available(), 2) << "what arrived before the hang-up stays readable";
    port.Send("A", 1);
    EXPECT_EQ(dialogs.Count(), 1u);
    port.Close();
    EXPECT_FALSE(port.IsOpen());
}

namespace {

std::atomic<int> g_ReadErrno{EIO};
ssize_t FailingRead(int, void*, size_t)
{
    errno = g_ReadErrno.load();
    return -1;
}
const PosixSerial::Calls g_FailingRead = {FailingRead, nullptr, nullptr};

} // namespace

TEST(ComPortLine, ReadFailureIsKeptUntilTheNextOpen)
{
    PtyPair pty;
    OComPort port;
    ASSERT_TRUE(port.OpenPath(pty.slavePath, 57600));
    {
        CallsGuard guard(&g_FailingRead);
        g_ReadErrno = EPROTO;
        ASSERT_TRUE(Eventually([&] { return port.LastReadError.load() != 0; }));
    }
    EXPECT_EQ(port.LastReadError.load(), static_cast<uint32_t>(EPROTO));
    EXPECT_EQ(port.ReaderStateForTest(), 0);
    ASSERT_TRUE(pty.WriteAll("q", 1));
    port.Close();
    ASSERT_TRUE(port.OpenPath(pty.slavePath, 57600));
    EXPECT_EQ(port.LastReadError.load(), 0u);
    ASSERT_TRUE(pty.WriteAll("r", 1));
    uint8_t byte = 0;
    ASSERT_TRUE(port.WaitAndTake(&byte, 1, 20000));
    EXPECT_EQ(byte, 'r');
}
