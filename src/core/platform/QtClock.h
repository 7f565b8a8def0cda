#pragma once

#include "core/platform/Clock.h"

#include <QElapsedTimer>

class QEventLoop;

// The real clock: a monotonic timer, and waits that run a local event loop until a timer fires,
// an event wakes it or the deadline passes. The thread sleeps in the event dispatcher meanwhile.
class QtClock : public Clock {
public:
    QtClock();
    qint64 ticks() const override;
    void waitForEvent(qint64 maxMs) override;
    void wake() override;

private:
    QElapsedTimer m_timer;
    QEventLoop* m_loop = nullptr;
    bool m_woken = false;
};
