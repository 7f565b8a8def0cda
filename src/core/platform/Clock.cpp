#include "core/platform/Clock.h"

void Clock::sleep(qint64 ms) {
    const qint64 deadline = ticks() + ms;
    for (qint64 now = ticks(); now < deadline; now = ticks()) waitForEvent(deadline - now);
}

bool Clock::waitUntil(const std::function<bool()>& done, qint64 timeoutMs) {
    const qint64 deadline = ticks() + timeoutMs;
    while (!done()) {
        const qint64 now = ticks();
        if (now >= deadline) return done();
        waitForEvent(deadline - now);
    }
    return true;
}
