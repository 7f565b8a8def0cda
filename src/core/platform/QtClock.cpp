#include "core/platform/QtClock.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

QtClock::QtClock() { m_timer.start(); }

qint64 QtClock::ticks() const { return m_timer.elapsed(); }

void QtClock::waitForEvent(qint64 maxMs) {
    if (maxMs <= 0 || m_woken) {
        m_woken = false;
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        return;
    }
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    timer.start(static_cast<int>(qMin<qint64>(maxMs, 24 * 3600 * 1000)));
    QEventLoop* outer = m_loop;
    m_loop = &loop;
    loop.exec();
    m_loop = outer;
    m_woken = false;
}

void QtClock::wake() {
    if (m_loop)
        m_loop->quit();
    else
        m_woken = true; // the next wait returns at once
}
