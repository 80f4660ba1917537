#pragma once
// The serial port to the ECG device: a tty opened raw at 8N1, a reader thread
// that copies everything received into a 4 MiB ring, and non-blocking and
// polling operations on that ring for exactly one consumer at a time.
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>

#include "OWakeEvent.h"

inline constexpr const char* kPortErrorCaption = "ОШИБКА ПРИ РАБОТЕ С ПОРТОМ";

class OComPort {
public:
    static constexpr int BufferSize = 4 * 1024 * 1024;
    static constexpr int IndexMask = BufferSize - 1;

    OComPort();
    virtual ~OComPort();
    OComPort(const OComPort&) = delete;
    OComPort& operator=(const OComPort&) = delete;

    // Opens port number n ("COMn", mapped to a device path by ComPortPath).
    bool Open(int n, int baud);
    // Opens a device path directly (a pseudo-terminal, a symlink to a port).
    bool OpenPath(const std::string& path, int baud);
    void Close();
    bool IsOpen() const { return m_Fd.load(std::memory_order_acquire) >= 0; }
    bool SetSpeed(int baud);
    int Speed() const { return m_Baud; }

    // Writes the whole block; a write that fails or stalls past its limit is
    // told in a box (WriteFailedText, kPortErrorCaption).
    void Send(const void* data, int length);
    // The box's text: what was sent, why it stopped, what to check.
    static std::string WriteFailedText(int sent, int length, const std::string& reason);

    int Available() const;
    void Purge();
    void Skip(int count);
    uint8_t PeekByte(int offset) const;
    uint8_t TakeByte();
    int Peek(void* destination, int maxLength) const;
    void ReadAvailable(void* destination, int maxLength, int& count);
    void ReadWithTimeout(void* destination, int length, int& count, int timeoutMs);
    int WaitAvailable(int count, int timeoutMs);
    int WaitAndPeek(void* destination, int length, int timeoutMs);
    bool Take(void* destination, int length);
    bool WaitAndTake(void* destination, int length, int timeoutMs);

    // errno of the read that stopped the reader thread; 0 after a good Open.
    std::atomic<uint32_t> LastReadError{0};
    // Reason of the last failed Open or SetSpeed; empty after a good Open.
    std::string LastErrorText;

    // -1 = the thread must end, 0 = idle, 1 = reading, 2 = stop requested.
    int ReaderStateForTest() const { return m_ReaderState.load(); }

private:
    void ReaderMain();
    // Copies count bytes starting at ring index from into destination, in at
    // most two pieces (up to the end of the ring, then from its start).
    void CopyOut(int from, void* destination, int count) const;
    int Head() const { return m_Head.load(std::memory_order_acquire); }
    int Tail() const { return m_Tail.load(std::memory_order_relaxed); }
    void SetTail(int tail) { m_Tail.store(tail & IndexMask, std::memory_order_release); }

    // Waits about a millisecond, or less when the reader has published bytes.
    void PauseForData() { m_Arrived.Wait(1); }

    OWakeEvent m_Event;
    OWakeEvent m_Arrived; // signalled by the reader after it published bytes
    std::atomic<int> m_ReaderState{0};
    std::atomic<int> m_Fd{-1};
    int m_Baud = 0;
    std::unique_ptr<uint8_t[]> m_Buffer;
    std::atomic<int> m_Head{0}; // written only by the reader thread
    std::atomic<int> m_Tail{0}; // written only by the consumer
    std::thread m_Reader;
};

// Milliseconds from a steady clock, wrapping like a 32-bit tick count.
uint32_t TickCountMs();
// Sleeps about one millisecond: the pause of every polling wait.
void PausePoll();
