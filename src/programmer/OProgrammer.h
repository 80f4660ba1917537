#pragma once
// Reading, writing, verifying and starting the device's program memory
// through its firmware monitor, over a port that is already open. Messages go
// through Dialogs(), traces to the console; the window and the command line
// both drive this class.
#include "ProgramImage.h"

#include <functional>
#include <vector>

class OComPort;

struct VerifyResult {
    enum class Outcome { Equal, Differs, ReadFailed, Cancelled };
    Outcome outcome = Outcome::ReadFailed;
    int firstDifference = -1; // byte index of the first difference
};

struct WriteResult {
    bool written = false; // every word was answered with "written" or "protected"
    bool cancelled = false;
    int protectedWords = 0;
    VerifyResult verify; // the verify that follows a complete write
};

class OProgrammer {
public:
    explicit OProgrammer(OComPort& port);

    OProgramImage m_Image;       // what is to be written
    OProgramImage m_DeviceImage; // what the device held at the last verify

    // Called where the hex view must show the images again.
    std::function<void()> m_RefreshView;
    // How long each reply may take. The monitor answers within 100 ms; a slow
    // adapter (or a loaded test machine) may need more.
    int m_ReplyTimeoutMs;
    // Called with the words done of the operation's total; false cancels.
    std::function<bool(int done, int total)> m_Progress;

    // Wakes the monitor: drains what is waiting, sends the wake-up byte,
    // drains again 10 ms later and ends the wake-up.
    void MonitorSync();
    // Reads all words into m_Image; false after a message.
    bool ReadDevice();
    // Reads all words into m_DeviceImage and compares them with m_Image.
    VerifyResult VerifyDevice();
    // Writes every word of m_Image, then verifies.
    WriteResult WriteDevice();
    // Starts the program in the device.
    void RunDevice();
    // The eight user command bytes, 20 ms apart.
    void SendUserCmd();
    // Takes what waits in the port and traces it; returns the byte count.
    int ReceiveMonitor();
    // The wake-up byte, sent on every tick while capturing.
    void SendWakeUp();

private:
    // Reads all words into target; false when cancelled or after a message.
    bool ReadWords(OProgramImage& target, bool& cancelled);
    bool Progress(int done, int total) { return !m_Progress || m_Progress(done, total); }
    void Refresh()
    {
        if (m_RefreshView)
            m_RefreshView();
    }

    OComPort& m_Port;
    std::vector<uint8_t> m_Incoming;
};
