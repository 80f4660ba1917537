#include "OComPort.h"

#include "Fatal.h"
#include "ODialogs.h"
#include "PortNames.h"
#include "PosixSerial.h"
#include "StrFormat.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

uint32_t TickCountMs()
{
    using namespace std::chrono;
    return static_cast<uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void PausePoll()
{
    ::usleep(1000);
}

OComPort::OComPort() : m_Buffer(new uint8_t[BufferSize]())
{
    m_Reader = std::thread([this] { ReaderMain(); });
}

OComPort::~OComPort()
{
    Close();
    m_ReaderState.store(-1);
    m_Event.Signal();
    if (m_Reader.joinable())
        m_Reader.join();
}

bool OComPort::Open(int n, int baud)
{
    return OpenPath(ComPortPath(n), baud);
}

bool OComPort::OpenPath(const std::string& path, int baud)
{
    Close();
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        LastErrorText = StrFormat("Не могу открыть выбранный порт %s\n", path.c_str()) +
                        SystemErrorText(static_cast<uint32_t>(errno));
        return false;
    }
    // No sharing: a second program on the same port would steal our bytes.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        LastErrorText = StrFormat("Не могу открыть выбранный порт %s\n", path.c_str()) +
                        SystemErrorText(static_cast<uint32_t>(error));
        return false;
    }
    if (const int error = PosixSerial::ConfigureRaw(fd, baud); error != 0) {
        ::close(fd);
        LastErrorText = StrFormat("Не могу установить для порта требуемый режим (скорость %d  бод) !\n", baud) +
                        SystemErrorText(static_cast<uint32_t>(error));
        return false;
    }
    PosixSerial::SetModemLines(fd);
    PosixSerial::Flush(fd);

    m_Baud = baud;
    LastErrorText.clear();
    LastReadError.store(0);
    m_Head.store(0, std::memory_order_relaxed);
    m_Tail.store(0, std::memory_order_relaxed);
    m_Fd.store(fd, std::memory_order_release);
    m_ReaderState.store(1);
    m_Event.Signal();
    return true;
}

void OComPort::Close()
{
    const int fd = m_Fd.load(std::memory_order_acquire);
    if (fd < 0)
        return;
    int expected = 1;
    if (m_ReaderState.compare_exchange_strong(expected, 2)) {
        m_Event.Signal();
        while (m_ReaderState.load() != 0)
            PausePoll();
    }
    m_Fd.store(-1, std::memory_order_release);
    ::close(fd);
}

bool OComPort::SetSpeed(int baud)
{
    const int fd = m_Fd.load(std::memory_order_acquire);
    const int error = fd < 0 ? EBADF : PosixSerial::SetBaud(fd, baud);
    if (error != 0) {
        LastErrorText = StrFormat("Для COM-порта не удалось установить скорость обмена %d, загрузка данных сорвана. "
                                  "Попробуйте установить другую скорость обмена (например, стандартную 57600 бод)\n%s",
                                  baud, SystemErrorText(static_cast<uint32_t>(error)).c_str());
        return false;
    }
    m_Baud = baud;
    return true;
}

void OComPort::Send(const void* data, int length)
{
    const int fd = m_Fd.load(std::memory_order_acquire);
    if (fd < 0 || length <= 0)
        return;
    // The write may take 1000 ms per byte plus 1500 ms before it counts as failed.
    const uint64_t limitMs = 1000ull * static_cast<uint64_t>(length) + 1500;
    const auto start = std::chrono::steady_clock::now();
    const auto* bytes = static_cast<const uint8_t*>(data);
    size_t left = static_cast<size_t>(length);
    std::string failure;
    while (left > 0) {
        const ssize_t written = PosixSerial::Write(fd, bytes, left);
        if (written > 0) {
            bytes += written;
            left -= static_cast<size_t>(written);
            continue;
        }
        if (written < 0 && errno != EAGAIN && errno != EINTR) {
            failure = SystemErrorText(static_cast<uint32_t>(errno));
            break;
        }
        const auto elapsed =
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
        if (static_cast<uint64_t>(elapsed) >= limitMs) {
            failure = StrFormat("Порт не принимал данные %llu мс.", static_cast<unsigned long long>(limitMs));
            break;
        }
        pollfd out{fd, POLLOUT, 0};
        ::poll(&out, 1, 10);
    }
    if (!failure.empty())
        Dialogs().Message(WriteFailedText(length - static_cast<int>(left), length, failure), kPortErrorCaption,
                          MsgIcon::Exclamation, MsgButtons::Ok);
}

std::string OComPort::WriteFailedText(int sent, int length, const std::string& reason)
{
    return StrFormat("Не удалось передать команду устройству через COM-порт: передано %d из %d байт.\n", sent, length) +
           reason +
           "\nПроверьте, что кабель устройства подключён, устройство включено и выбран его порт; "
           "если порт пропал из списка, выберите его заново.";
}

int OComPort::Available() const
{
    return (Head() - Tail()) & IndexMask;
}

void OComPort::Purge()
{
    SetTail(Head());
}

void OComPort::Skip(int count)
{
    SetTail(Tail() + count);
}

uint8_t OComPort::PeekByte(int offset) const
{
    return m_Buffer[(Tail() + offset) & IndexMask];
}

uint8_t OComPort::TakeByte()
{
    const int tail = Tail();
    const uint8_t byte = m_Buffer[tail];
    SetTail(tail + 1);
    return byte;
}

void OComPort::CopyOut(int from, void* destination, int count) const
{
    auto* out = static_cast<uint8_t*>(destination);
    const int first = std::min(count, BufferSize - from);
    std::memcpy(out, m_Buffer.get() + from, static_cast<size_t>(first));
    if (count > first)
        std::memcpy(out + first, m_Buffer.get(), static_cast<size_t>(count - first));
}

int OComPort::Peek(void* destination, int maxLength) const
{
    if (!IsOpen() || maxLength <= 0)
        return 0;
    const int count = std::min(Available(), maxLength);
    CopyOut(Tail(), destination, count);
    return count;
}

void OComPort::ReadAvailable(void* destination, int maxLength, int& count)
{
    count = 0;
    if (!IsOpen() || maxLength <= 0)
        return;
    count = std::min(Available(), maxLength);
    CopyOut(Tail(), destination, count);
    SetTail(Tail() + count);
}

void OComPort::ReadWithTimeout(void* destination, int length, int& count, int timeoutMs)
{
    count = 0;
    auto* out = static_cast<uint8_t*>(destination);
    const uint32_t start = TickCountMs();
    for (;;) {
        int got = 0;
        ReadAvailable(out + count, length - count, got);
        count += got;
        if (count >= length || static_cast<int32_t>(TickCountMs() - start) > timeoutMs)
            return;
        PauseForData();
    }
}

int OComPort::WaitAvailable(int count, int timeoutMs)
{
    const uint32_t start = TickCountMs();
    for (;;) {
        const int available = Available();
        if (available >= count || static_cast<int32_t>(TickCountMs() - start) > timeoutMs)
            return available;
        PauseForData();
    }
}

int OComPort::WaitAndPeek(void* destination, int length, int timeoutMs)
{
    const uint32_t start = TickCountMs();
    while (Available() < length) {
        if (static_cast<int32_t>(TickCountMs() - start) > timeoutMs)
            return 0;
        PauseForData();
    }
    return Peek(destination, length);
}

bool OComPort::Take(void* destination, int length)
{
    if (!IsOpen() || Available() < length)
        return false;
    if (length > 0) {
        CopyOut(Tail(), destination, length);
        SetTail(Tail() + length);
    }
    return true;
}

bool OComPort::WaitAndTake(void* destination, int length, int timeoutMs)
{
    if (WaitAvailable(length, timeoutMs) < length)
        return false;
    return Take(destination, length);
}

void OComPort::ReaderMain()
{
    for (;;) {
        m_Event.Wait(-1);
        bool hungUp = false;
        for (;;) {
            const int state = m_ReaderState.load();
            if (state < 0)
                return;
            if (state != 1) {
                // A stop was requested (or a read failed): go idle.
                int expected = state;
                m_ReaderState.compare_exchange_strong(expected, 0);
                break;
            }
            const int fd = m_Fd.load(std::memory_order_acquire);
            const int head = m_Head.load(std::memory_order_relaxed);
            const int tail = m_Tail.load(std::memory_order_acquire);
            // Unread bytes are never overwritten: with the ring full we leave
            // the bytes with the driver and look again a millisecond later.
            const int free = IndexMask - ((head - tail) & IndexMask);
            if (free == 0) {
                m_Event.Wait(1);
                continue;
            }
            const int chunk = std::min(free, BufferSize - head);
            const ssize_t n = PosixSerial::Read(fd, m_Buffer.get() + head, static_cast<size_t>(chunk));
            uint32_t failure = 0;
            if (n > 0) {
                m_Head.store((head + static_cast<int>(n)) & IndexMask, std::memory_order_release);
                m_Arrived.Signal();
                hungUp = false;
            } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
                failure = static_cast<uint32_t>(errno);
            } else if (n == 0 && hungUp) {
                // The other end hung up and everything it sent has been read.
                failure = EIO;
            }
            if (failure != 0) {
                LastReadError.store(failure);
                int expected = 1;
                m_ReaderState.compare_exchange_strong(expected, 0);
                break;
            }
            if (n >= 1024)
                continue; // more is likely waiting: read again at once
            // Sleep until bytes arrive, we are woken, or a millisecond passes.
            // After a hang-up, read once more to collect what is left.
            if (m_Event.Wait(1, fd) == OWakeEvent::Woken::Hangup)
                hungUp = true;
        }
    }
}
