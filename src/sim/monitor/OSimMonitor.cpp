#include "OSimMonitor.h"

#include <cstdlib>

namespace {

constexpr uint8_t kPrefix = 0xCD;
constexpr uint8_t kReadWord = 0xE6;
constexpr uint8_t kWriteWord = 0xE7;
constexpr uint8_t kRun = 0xEB;
constexpr uint8_t kWritten = 0xAA;
constexpr uint8_t kProtected = 0xEE;
constexpr uint8_t kConfused = 0x55;

bool ParseAddress(const std::string& text, int& value)
{
    if (text.empty())
        return false;
    char* end = nullptr;
    const long number = std::strtol(text.c_str(), &end, 0);
    if (*end != '\0' || number < 0 || number > 0xFFFF)
        return false;
    value = static_cast<int>(number);
    return true;
}

} // namespace

bool ParseProtectRange(const std::string& text, SimMonitorOptions& options)
{
    if (text == "none") {
        options.protectFrom = 1;
        options.protectTo = 0;
        return true;
    }
    const size_t dash = text.find('-');
    int from = 0, to = 0;
    if (dash == std::string::npos || !ParseAddress(text.substr(0, dash), from) ||
        !ParseAddress(text.substr(dash + 1), to) || from > to)
        return false;
    options.protectFrom = from;
    options.protectTo = to;
    return true;
}

bool AddMonitorFault(SimMonitorOptions& options, const std::string& faultText, const char* number, bool& usedNumber,
                     std::string& error)
{
    usedNumber = false;
    error.clear();
    if (faultText == "monitor-bad-reply") {
        options.badReply = true;
        return true;
    }
    const std::string name = "monitor-silent-after";
    if (faultText.compare(0, name.size(), name) != 0)
        return false;
    std::string value;
    if (faultText.size() > name.size() && (faultText[name.size()] == '=' || faultText[name.size()] == ':')) {
        value = faultText.substr(name.size() + 1);
    } else if (faultText.size() == name.size() && number != nullptr) {
        value = number;
        usedNumber = true;
    } else {
        error = "fault " + name + " needs a number of answers";
        return true;
    }
    char* end = nullptr;
    const long count = std::strtol(value.c_str(), &end, 10);
    if (value.empty() || *end != '\0' || count < 0) {
        error = "fault " + name + " needs a number of answers, not '" + value + "'";
        usedNumber = false;
        return true;
    }
    options.silentAfter = static_cast<int>(count);
    return true;
}

OSimMonitor::OSimMonitor(const SimMonitorOptions& options) : m_Options(options), m_Memory(kWords, kErased) {}

int OSimMonitor::ParamLength(uint8_t code)
{
    switch (code) {
    case kReadWord:
        return 2;
    case kWriteWord:
        return 4;
    case kRun:
        return 0;
    default:
        return -1;
    }
}

std::vector<uint8_t> OSimMonitor::Execute(uint8_t code, const uint8_t* params)
{
    if (code == kRun) {
        m_Running = true;
        return {};
    }
    if (ParamLength(code) < 0)
        return {};
    if (m_Options.silentAfter >= 0 && m_Answered >= m_Options.silentAfter)
        return {};
    ++m_Answered;
    const int address = params[0] | params[1] << 8;
    if (code == kReadWord)
        return ReadWord(address);
    return WriteWord(address, static_cast<uint16_t>(params[2] | params[3] << 8));
}

std::vector<uint8_t> OSimMonitor::ReadWord(int address)
{
    const uint16_t value = address < kWords ? Word(address) : kErased;
    if (m_Options.badReply)
        return {static_cast<uint8_t>(value)};
    return {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8)};
}

std::vector<uint8_t> OSimMonitor::WriteWord(int address, uint16_t value)
{
    if (m_Options.badReply)
        return {kConfused};
    if (address >= kWords || IsProtected(address))
        return {kProtected};
    SetWord(address, value);
    return {kWritten};
}

void OSimMonitor::Consume(const uint8_t* data, size_t length, std::vector<uint8_t>& reply)
{
    for (size_t i = 0; i < length; ++i) {
        const uint8_t byte = data[i];
        if (m_ParseState == 0) {
            if (byte == kPrefix) {
                WakeUp();
                m_ParseState = 1;
            }
            continue;
        }
        if (m_ParseState == 1) {
            if (byte == kPrefix) {
                WakeUp(); // a run of wake-up bytes
                continue;
            }
            m_Code = byte;
            m_Params.clear();
            const int needed = ParamLength(byte);
            if (needed < 0) {
                m_ParseState = 0; // the end of a wake-up (0x00) or another device's command
                continue;
            }
            m_ParseState = 2;
        } else {
            m_Params.push_back(byte);
        }
        if (m_Params.size() == static_cast<size_t>(ParamLength(m_Code))) {
            const std::vector<uint8_t> answer = Execute(m_Code, m_Params.data());
            reply.insert(reply.end(), answer.begin(), answer.end());
            m_ParseState = 0;
        }
    }
}
