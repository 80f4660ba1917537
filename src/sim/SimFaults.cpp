#include "SimFaults.h"

#include <cstdlib>

namespace {

bool ParseCount(const std::string& text, int64_t& value)
{
    if (text.empty())
        return false;
    char* end = nullptr;
    const long long parsed = std::strtoll(text.c_str(), &end, 0);
    if (*end != '\0' || parsed < 0)
        return false;
    value = parsed;
    return true;
}

void SetErrorToken(SimFaults& faults, uint8_t token)
{
    faults.errorToken = token;
    if (faults.streamErrorAt < 0)
        faults.streamErrorAt = 0;
}

} // namespace

bool AddSimFault(SimFaults& faults, const std::string& faultText, const char* number, bool& usedNumber,
                 std::string& error)
{
    usedNumber = false;
    std::string name = faultText;
    std::string argument;
    if (const size_t at = faultText.find_first_of("=: "); at != std::string::npos) {
        name = faultText.substr(0, at);
        argument = faultText.substr(at + 1);
    }
    const bool needsNumber = name == "crc" || name == "hangup-after" || name == "stall-after" ||
                             name == "stream-error-at" || name == "token" || name == "flip";
    if (needsNumber) {
        if (argument.empty() && number != nullptr) {
            argument = number;
            usedNumber = true;
        }
        int64_t value = 0;
        if (!ParseCount(argument, value) || ((name == "crc" || name == "flip") && value == 0) ||
            (name == "token" && value > 0xFF)) {
            error = "fault " + name + " needs a number";
            usedNumber = false;
            return false;
        }
        if (name == "crc")
            faults.crcEvery = static_cast<int>(value);
        else if (name == "hangup-after")
            faults.hangupAfter = value;
        else if (name == "stall-after")
            faults.stallAfter = value;
        else if (name == "token")
            SetErrorToken(faults, static_cast<uint8_t>(value));
        else if (name == "flip")
            faults.flipEvery = static_cast<int>(value);
        else
            faults.streamErrorAt = value;
        return true;
    }
    if (!argument.empty()) {
        error = "fault " + name + " takes no number";
        return false;
    }
    struct Flag {
        const char* name;
        bool SimFaults::*member;
    };
    static const Flag flags[] = {
        {"silent", &SimFaults::silent},
        {"wrong-tag", &SimFaults::wrongTag},
        {"short", &SimFaults::shortReply},
        {"swap-crc", &SimFaults::swapCrc},
        {"garbage", &SimFaults::garbage},
        {"unstable-first-free", &SimFaults::unstableFirstFree},
        {"ignore-set", &SimFaults::ignoreSet},
        {"bad-speed-echo", &SimFaults::badSpeedEcho},
        {"bad-pattern", &SimFaults::badPattern},
        {"live-garbage", &SimFaults::liveGarbage},
        {"live-truncate", &SimFaults::liveTruncate},
        {"card-missing", &SimFaults::cardMissing},
    };
    for (const Flag& flag : flags) {
        if (name == flag.name) {
            faults.*flag.member = true;
            return true;
        }
    }
    error = "unknown fault '" + name + "'";
    return false;
}
