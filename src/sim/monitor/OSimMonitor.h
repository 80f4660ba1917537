#pragma once
// The firmware monitor of the simulated device: 4096 words of program memory
// that the PC reads, writes and starts word by word. Request bytes in, reply
// bytes out; no ports, no clocks.
#include <cstdint>
#include <string>
#include <vector>

struct SimMonitorOptions {
    // Words from protectFrom to protectTo (inclusive) keep their content; the
    // monitor itself lives there. from > to protects nothing.
    int protectFrom = 0;
    int protectTo = 0xFF;
    // After this many answered requests the monitor falls silent (-1: never).
    int silentAfter = -1;
    // Writes are answered with a byte that is neither "written" nor
    // "protected" (and change nothing); reads lose their high byte.
    bool badReply = false;
};

// "FROM-TO" (decimal or 0x-hexadecimal word addresses) or "none".
bool ParseProtectRange(const std::string& text, SimMonitorOptions& options);
// Takes the faults "monitor-silent-after N" (N as "=N", ":N" or the next word,
// passed in number) and "monitor-bad-reply". Returns false when faultText names no
// monitor fault; error is set when it names one without a good number, and
// usedNumber tells whether the next word was taken.
bool AddMonitorFault(SimMonitorOptions& options, const std::string& faultText, const char* number, bool& usedNumber,
                     std::string& error);

class OSimMonitor {
public:
    static constexpr int kWords = 4096;
    static constexpr uint16_t kErased = 0x3FFF;

    explicit OSimMonitor(const SimMonitorOptions& options = {});

    // Parameter bytes after the code of a monitor command; -1 for other codes.
    static int ParamLength(uint8_t code);
    // Answers one command (code and its parameters); the reply may be empty.
    std::vector<uint8_t> Execute(uint8_t code, const uint8_t* params);
    // A prefix byte on its own: the PC waking the monitor up.
    void WakeUp() { ++m_WakeUps; }

    // Frames the byte stream itself, for use without the device model:
    // appends the replies of every complete request to reply.
    void Consume(const uint8_t* data, size_t length, std::vector<uint8_t>& reply);

    uint16_t Word(int address) const { return m_Memory[static_cast<size_t>(address)]; }
    void SetWord(int address, uint16_t value) { m_Memory[static_cast<size_t>(address)] = value & kErased; }
    bool IsProtected(int address) const { return address >= m_Options.protectFrom && address <= m_Options.protectTo; }
    bool Running() const { return m_Running; }
    int WakeUps() const { return m_WakeUps; }
    int Answered() const { return m_Answered; }

private:
    std::vector<uint8_t> ReadWord(int address);
    std::vector<uint8_t> WriteWord(int address, uint16_t value);

    SimMonitorOptions m_Options;
    std::vector<uint16_t> m_Memory;
    bool m_Running = false;
    int m_WakeUps = 0;
    int m_Answered = 0;

    // Consume's framing: 0 idle, 1 after a prefix, 2 collecting parameters.
    int m_ParseState = 0;
    uint8_t m_Code = 0;
    std::vector<uint8_t> m_Params;
};
