#pragma once
// The ECG device as a model: request bytes in, reply bytes out, each reply
// with the time it is due and the line speed it goes out at. It knows nothing
// of ports; OSimServer carries its bytes over a pseudo-terminal.
//
// Commands are dispatched through a table by command code. Another part of
// the device (the firmware monitor, the live stream) adds its commands with
// AddCommand(code, parameter bytes, handler) and answers with Reply().
#include "SimFaults.h"

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <vector>

class OSimCard;

class OSimDevice {
public:
    using Clock = std::chrono::steady_clock;
    using TimePoint = Clock::time_point;
    using Handler = std::function<void(const uint8_t* params, TimePoint now)>;

    explicit OSimDevice(OSimCard& card, const SimFaults& faults = {});

    // Replaces the handler of a code; paramLength bytes follow the code.
    void AddCommand(uint8_t code, int paramLength, Handler handler);
    // Called for every prefix byte 0xCD that starts a frame (also for a lone
    // or repeated one, which the firmware monitor takes as a wake-up).
    std::function<void(TimePoint)> m_OnPrefix;
    // Called whenever nothing is queued to send: a part of the device that
    // sends on its own schedule (the live stream) queues its next bytes here
    // with Reply() and their due time.
    std::function<void(TimePoint)> m_OnIdle;
    // Takes bytes that follow a request outside the framing (the data block
    // of a sound write); returns false for bytes it leaves to the parser.
    std::function<bool(uint8_t, TimePoint)> m_TakeRaw;

    // Bytes from the PC. pcBaud is the speed the PC's port runs at (0 when
    // not known): bytes sent at another speed than the device listens at
    // arrive garbled and are lost.
    void Receive(const uint8_t* data, size_t length, TimePoint now, int pcBaud = 0);
    // Takes up to max reply bytes due by now, all of one line speed (baud).
    size_t Transmit(uint8_t* out, size_t max, TimePoint now, int& baud);
    // When the next reply byte is due; nothing when there is nothing to send.
    std::optional<TimePoint> NextDue(TimePoint now) const;
    // The line speed of the next bytes to send.
    int NextBaud() const;
    // The speed the device listens at.
    int LineBaud() const { return m_LineBaud; }

    // Queues a reply at the current line speed.
    void Reply(std::vector<uint8_t> bytes, TimePoint due);
    // The answer to the card initialisation request, "W" included.
    void SetInitReport(std::vector<uint8_t> report) { m_InitReport = std::move(report); }
    static std::vector<uint8_t> DefaultInitReport();

    OSimCard& Card() { return m_Card; }
    const SimFaults& Faults() const { return m_Faults; }
    bool Streaming() const { return m_StreamActive; }

private:
    struct Command {
        int paramLength;
        Handler handler;
    };
    struct Segment {
        std::vector<uint8_t> bytes;
        size_t sent;
        TimePoint due;
        int baud;
    };
    enum class ParseState { Idle, Prefix, Params };

    void Parse(uint8_t byte, TimePoint now);
    void ResetParser() { m_ParseState = ParseState::Idle; }
    // Stream and line speed end together: the device falls back to 57600.
    void EndStream();
    void QueueNextFrame(TimePoint now);
    // A tagged reply ("S", "W", "q") as the faults shape it; true when intact.
    bool ReplyTagged(std::vector<uint8_t> bytes, TimePoint now);
    void ReplyWithNoise(std::vector<uint8_t> bytes, TimePoint now);
    // The two bytes after the data of a sector reply or stream frame.
    void AppendCheck(std::vector<uint8_t>& frame, const uint8_t* sector, int dataBytes);

    void OnStop(TimePoint now);
    void OnReadSector(const uint8_t* params, TimePoint now);
    void OnStreamSectors(const uint8_t* params, TimePoint now);
    void OnGetFirstFree(TimePoint now);
    void OnSetFirstFree(const uint8_t* params, TimePoint now);
    void OnInitCard(TimePoint now);

    OSimCard& m_Card;
    SimFaults m_Faults;
    std::map<uint8_t, Command> m_Commands;
    std::vector<uint8_t> m_InitReport;

    ParseState m_ParseState = ParseState::Idle;
    uint8_t m_Code = 0;
    std::vector<uint8_t> m_Params;
    TimePoint m_LastByte{};

    std::deque<Segment> m_Out;
    int m_LineBaud;

    bool m_StreamActive = false;
    uint32_t m_StreamNext = 0;
    int m_StreamBytes = 512;
    int64_t m_StreamFrames = 0;

    int64_t m_WholeSectorReplies = 0;
    int64_t m_FirstFreeAnswers = 0;
};
