#pragma once

#include <QtGlobal>
#include <functional>

// Millisecond tick counter and the waits of the long operations. A wait sleeps until something
// happens (data on the line, a timer, a click) and lets the windows run meanwhile: it never spins.
class Clock {
public:
    virtual ~Clock() = default;

    // Milliseconds since an arbitrary origin, never decreasing.
    virtual qint64 ticks() const = 0;

    // Sleeps until the next event, wake() or maxMs have passed, whichever comes first, and runs the
    // pending window events. May return early; callers re-check their condition.
    virtual void waitForEvent(qint64 maxMs) = 0;

    // Ends the wait in progress (called when data arrives or the user cancels).
    virtual void wake() = 0;

    // Waits the whole duration, with window events running.
    void sleep(qint64 ms);

    // Waits until done() holds or timeoutMs have passed; returns done().
    bool waitUntil(const std::function<bool()>& done, qint64 timeoutMs);

    // Runs the pending window events once, without sleeping.
    void processEvents() { waitForEvent(0); }
};
