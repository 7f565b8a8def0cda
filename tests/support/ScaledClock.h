#pragma once

#include "core/platform/QtClock.h"

// The real clock, run faster: every protocol time shrinks by the factor (a 750 ms wake-up wait takes
// 150 ms at 5x), so tests over a real line keep their order of events without costing seconds.
class ScaledClock : public QtClock {
public:
    explicit ScaledClock(int speed) : m_speed(speed) {}
    qint64 ticks() const override { return QtClock::ticks() * m_speed; }
    void waitForEvent(qint64 maxMs) override {
        QtClock::waitForEvent(maxMs <= 0 ? 0 : (maxMs + m_speed - 1) / m_speed);
    }

private:
    qint64 m_speed;
};
