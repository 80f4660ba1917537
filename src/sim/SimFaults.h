#pragma once
// Faults the simulated device can be told to show, for tests of the PC side.
#include <cstdint>
#include <string>

struct SimFaults {
    bool silent = false;            // answers nothing at all, not even STOP
    bool wrongTag = false;          // "S", "W" and "q" replies start with another byte
    bool shortReply = false;        // the same replies lose their last byte
    int crcEvery = 0;               // corrupts the CRC of every Nth whole-sector reply
    bool swapCrc = false;           // sends the two CRC bytes low byte first
    bool garbage = false;           // line noise before every reply
    bool unstableFirstFree = false; // every other first-free answer is one higher
    bool ignoreSet = false;         // answers "q" to a set but keeps the old value
    bool badSpeedEcho = false;      // echoes another speed code and does not switch
    bool badPattern = false;        // sends a garbled check pattern after a switch
    bool liveGarbage = false;       // the live stream has noise bytes between its packets
    bool liveTruncate = false;      // the third live packet of a recording is cut short
    bool cardMissing = false;       // no card: the live packets report the start and write errors
    int64_t streamErrorAt = -1;     // the stream gives an error token after N good frames
    uint8_t errorToken = 0x08;      // that token (token N; alone it means at the first frame)
    int flipEvery = 0;              // flips one data bit in every Nth whole-sector frame
    int64_t hangupAfter = -1;       // the line goes away after N bytes sent
    int64_t stallAfter = -1;        // falls silent after N bytes sent, the line stays open
};

// Adds one fault given as "name", "name=N" or "name:N" (or "name" followed by
// the number as the next word, passed in number). Returns false with a reason
// for a name it does not know or a missing number; usedNumber tells whether the
// separate number word was taken.
bool AddSimFault(SimFaults& faults, const std::string& faultText, const char* number, bool& usedNumber,
                 std::string& error);
