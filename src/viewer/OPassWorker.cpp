#include "OPassWorker.h"

#include <chrono>

OPassWorker::OPassWorker(std::function<void()> pass, std::function<void()> passEnded)
    : m_Pass(std::move(pass)), m_PassEnded(std::move(passEnded))
{
    m_Thread = std::thread([this] { Run(); });
}

OPassWorker::~OPassWorker()
{
    while (m_State.load() != Idle)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    m_State.store(Ending);
    Signal();
    m_Thread.join();
}

void OPassWorker::Request()
{
    m_State.store(Busy);
    Signal();
}

void OPassWorker::Signal()
{
    {
        std::lock_guard lock(m_EventMutex);
        m_Signalled = true;
    }
    m_EventCv.notify_one();
}

void OPassWorker::WaitForSignal()
{
    std::unique_lock lock(m_EventMutex);
    m_EventCv.wait(lock, [this] { return m_Signalled; });
    m_Signalled = false; // auto-reset
}

void OPassWorker::Run()
{
    for (;;) {
        WaitForSignal();
        const int32_t state = m_State.load();
        if (state < 0)
            return;
        if (state == Busy)
            m_Pass();
        m_State.store(Idle);
        if (m_PassEnded)
            m_PassEnded();
    }
}
