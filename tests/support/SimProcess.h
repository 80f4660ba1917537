#pragma once
// brenna-sim and brenna-cli as separate programs: the simulator serving a card
// on a pseudo-terminal for as long as the object lives, and a program run to
// its end with its output collected.
#include <string>
#include <sys/types.h>
#include <vector>

class SimProcess {
public:
    // Starts the program with these arguments (the program's path first),
    // typically "brenna-sim serve CARD ...", and reads the first line it
    // prints, "PORT <path>".
    explicit SimProcess(const std::vector<std::string>& arguments);
    ~SimProcess(); // stops it with SIGTERM
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    // The first line ("" when the program printed none).
    const std::string& PortLine() const { return m_PortLine; }
    // The terminal it serves ("" when it did not say).
    const std::string& Port() const { return m_Port; }
    // Sends SIGTERM and returns the exit code (-1 when it did not exit).
    int Terminate();
    // SIGKILL, as when the device dies or the cable is pulled mid-transfer.
    void Kill();

private:
    pid_t m_Pid = -1;
    std::string m_PortLine;
    std::string m_Port;
};

struct ProgramResult {
    int exitCode = -1;
    std::string out;
};

// Runs a shell command to its end; standard error is dropped.
ProgramResult RunProgram(const std::string& command);
