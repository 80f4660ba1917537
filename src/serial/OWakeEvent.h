#pragma once
// An auto-reset event whose wait can also watch a file descriptor, so that the
// reader thread sleeps until bytes arrive, the timeout passes or it is woken.
class OWakeEvent {
public:
    OWakeEvent();
    ~OWakeEvent();
    OWakeEvent(const OWakeEvent&) = delete;
    OWakeEvent& operator=(const OWakeEvent&) = delete;

    void Signal();
    enum class Woken { Timeout, Event, Readable, Hangup };
    // Waits up to timeoutMs (-1 = without limit) for the event or, when fd is
    // not negative, for fd to become readable. A signalled event is reset.
    Woken Wait(int timeoutMs, int fd = -1);

private:
    int m_Fd = -1; // eventfd
};
