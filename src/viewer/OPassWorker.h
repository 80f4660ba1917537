#pragma once
// The analysis window's worker thread: it sleeps on an auto-reset event and
// runs one processing pass each time the window asks for one. The window and
// the worker meet only in a few atomic values; the end of a pass is reported
// through a callback that runs on the worker thread (the window turns it into
// a queued call).
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

class OPassWorker {
public:
    enum State : int32_t { Idle = 0, Busy = 1, Ending = -1 };

    // pass runs on the worker thread; passEnded after each pass, also there.
    OPassWorker(std::function<void()> pass, std::function<void()> passEnded);
    // Waits until a running pass has ended, then ends the thread.
    ~OPassWorker();
    OPassWorker(const OPassWorker&) = delete;
    OPassWorker& operator=(const OPassWorker&) = delete;

    // Hands a pass to the worker (state 1, then the event).
    void Request();
    int32_t State() const { return m_State.load(); }

private:
    void Signal();
    void WaitForSignal();
    void Run();

    std::function<void()> m_Pass;
    std::function<void()> m_PassEnded;
    std::atomic<int32_t> m_State{Idle};
    std::mutex m_EventMutex;
    std::condition_variable m_EventCv;
    bool m_Signalled = false;
    std::thread m_Thread;
};
