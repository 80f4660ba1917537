#pragma once
// Serves the device model on a new pseudo-terminal from a thread of its own:
// the PC side opens PortPath() like a serial port. Output is paced at the line
// rate of the device's current speed (10 bits per byte) unless fast is set.
// The server keeps the terminal's other end open itself, so a client may
// close and reopen the port at any time.
#include "OSimCard.h"
#include "OSimDevice.h"

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct SimServeOptions {
    bool fast = false;
    // Bytes sent at a speed the other end does not run at arrive garbled.
    bool checkLineSpeed = true;
};

class OSimServer {
public:
    OSimServer(const std::string& cardPath, const SimFaults& faults = {}, SimServeOptions options = {});
    ~OSimServer();
    OSimServer(const OSimServer&) = delete;
    OSimServer& operator=(const OSimServer&) = delete;

    // Add commands or change the card report here, before Start.
    OSimDevice& Device() { return m_Device; }
    OSimCard& Card() { return m_Card; }

    bool Start(std::string& error);
    void Stop();
    const std::string& PortPath() const { return m_PortPath; }
    // The line went away (the hangup fault); serving has ended.
    bool Finished() const { return m_Finished.load(); }
    // Everything received from the PC since the last call.
    std::vector<uint8_t> TakeReceived();

private:
    void Run();
    void HangUp();

    std::string m_CardPath;
    SimServeOptions m_Options;
    OSimCard m_Card;
    OSimDevice m_Device;
    int m_Master = -1;
    int m_Slave = -1; // held open so that the terminal outlives its clients
    int m_Wake = -1;  // eventfd that ends the serving thread
    std::string m_PortPath;
    std::atomic<bool> m_StopRequested{false};
    std::atomic<bool> m_Finished{false};
    std::mutex m_ReceivedMutex;
    std::vector<uint8_t> m_Received;
    std::thread m_Thread;
};
