#include "sim/DeviceEmulator.h"

#include "sim/MemoryImage.h"

#include <QSocketNotifier>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {
constexpr int kTickMs = 10;
// The program flushes its input as it opens the port: a reply waits this long after the port opens.
constexpr int kSettleMs = 20;
// A reply whose program never came back for it is dropped.
constexpr int kPendingExpiryMs = 3000;
} // namespace

DeviceEmulator::DeviceEmulator(const DeviceData& data, const EmulatorOptions& options, QObject* parent)
    : QObject(parent), m_options(options) {
    if (m_options.generation == 3) {
        m_memory = EncodeGeneration3Dump(data);
        m_params = EncodeGeneration3ParamReply(data);
    } else {
        m_options.generation = 5;
        m_memory = EncodeGeneration5Dump(data);
    }
    if (m_options.extraFinal > 0) m_memory.append(QByteArray(m_options.extraFinal, static_cast<char>(0xFF)));
    // Noise on a badly shielded line: bytes no memory cell gave, ahead of the real ones.
    if (m_options.noiseBefore > 0) {
        QByteArray noise(m_options.noiseBefore, '\0');
        for (int i = 0; i < noise.size(); ++i)
            noise[i] = static_cast<char>((i * 37 + 11) & 0xFF);
        m_memory.prepend(noise);
    }
    m_tick.setInterval(kTickMs);
    m_tick.setTimerType(Qt::PreciseTimer);
    connect(&m_tick, &QTimer::timeout, this, &DeviceEmulator::onTick);
}

DeviceEmulator::~DeviceEmulator() {
    if (m_master >= 0) ::close(m_master);
}

bool DeviceEmulator::start(QString* error) {
    auto fail = [&](const char* what) {
        if (error)
            *error =
                QStringLiteral("%1: %2").arg(QLatin1String(what), QString::fromLocal8Bit(strerror(errno)));
        if (m_master >= 0) ::close(m_master);
        m_master = -1;
        return false;
    };
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (m_master < 0) return fail("posix_openpt");
    if (::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0) return fail("grantpt");
    const char* name = ::ptsname(m_master);
    if (!name) return fail("ptsname");
    m_devicePath = QString::fromLocal8Bit(name);
    // A serial line carries bytes as they are: no echo, no line editing, no character translation.
    termios settings{};
    if (::tcgetattr(m_master, &settings) != 0) return fail("tcgetattr");
    ::cfmakeraw(&settings);
    if (::tcsetattr(m_master, TCSANOW, &settings) != 0) return fail("tcsetattr");

    m_readNotifier = new QSocketNotifier(m_master, QSocketNotifier::Read, this);
    connect(m_readNotifier, &QSocketNotifier::activated, this, &DeviceEmulator::onReadable);
    m_writeNotifier = new QSocketNotifier(m_master, QSocketNotifier::Write, this);
    m_writeNotifier->setEnabled(false);
    connect(m_writeNotifier, &QSocketNotifier::activated, this, &DeviceEmulator::pump);
    m_started = true;
    m_lineOpenSince.start();
    return true;
}

bool DeviceEmulator::lineIsClosed() const {
    pollfd fd{m_master, POLLIN, 0};
    return ::poll(&fd, 1, 0) > 0 && (fd.revents & POLLHUP);
}

void DeviceEmulator::onReadable() {
    if (m_master < 0) return;
    char buffer[256];
    const ssize_t n = ::read(m_master, buffer, sizeof buffer);
    if (n > 0) {
        for (ssize_t i = 0; i < n; ++i)
            command(static_cast<quint8>(buffer[i]));
        return;
    }
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) return;
    // EIO: nobody holds the port open any more.
    lineClosed();
}

void DeviceEmulator::lineClosed() {
    if (!m_lineOpen || m_master < 0) return;
    m_lineOpen = false;
    m_readNotifier->setEnabled(false);
    m_writeNotifier->setEnabled(false);
    if (m_streaming) {
        Q_EMIT message(
            QStringLiteral("port closed after %1 of %2 bytes: reply dropped").arg(m_sent).arg(m_limit));
        m_streaming = false;
    }
    updateTimer();
}

void DeviceEmulator::command(quint8 byte) {
    if (byte == 0x01) {
        ++m_memoryCommands;
        if (m_memoryCommands < m_options.answerFrom) {
            Q_EMIT message(QStringLiteral("memory command %1 ignored").arg(m_memoryCommands));
            return;
        }
        if (m_streaming || m_pending) return; // busy with a reply
        const qint64 limit =
            m_options.stallAfter >= 0 ? qMin<qint64>(m_options.stallAfter, m_memory.size()) : m_memory.size();
        Q_EMIT message(QStringLiteral("memory command: sending %1 bytes").arg(limit));
        schedule(m_memory, limit, m_options.hangupAfter);
    } else if (byte == 0x03 && m_options.generation == 3) {
        if (!m_options.paramReply) {
            Q_EMIT message(QStringLiteral("parameter command ignored"));
            return;
        }
        if (m_streaming || m_pending) return;
        const qint64 limit =
            m_options.paramLimit >= 0 ? qMin<qint64>(m_options.paramLimit, m_params.size()) : m_params.size();
        Q_EMIT message(QStringLiteral("parameter command: sending %1 bytes").arg(limit));
        schedule(m_params, limit, -1);
    } else {
        Q_EMIT message(QStringLiteral("byte 0x%1 ignored").arg(byte, 2, 16, QLatin1Char('0')));
    }
}

void DeviceEmulator::schedule(const QByteArray& reply, qint64 limit, qint64 hangupAt) {
    m_reply = reply;
    m_limit = limit;
    m_hangupAt = hangupAt;
    m_sent = 0;
    m_pending = true;
    m_commandTime.start();
    updateTimer();
}

void DeviceEmulator::onTick() {
    if (m_master < 0) return;
    if (!m_lineOpen && !lineIsClosed()) {
        m_lineOpen = true;
        m_lineOpenSince.start();
        m_readNotifier->setEnabled(true);
    }
    if (m_pending) {
        if (m_commandTime.elapsed() > kPendingExpiryMs) {
            Q_EMIT message(QStringLiteral("nobody came back for the reply: dropped"));
            m_pending = false;
        } else if (m_lineOpen && m_commandTime.elapsed() >= m_options.replyDelayMs &&
                   m_lineOpenSince.elapsed() >= kSettleMs) {
            m_pending = false;
            m_streaming = true;
            m_streamTime.start();
        }
    }
    if (m_streaming) pump();
    updateTimer();
}

void DeviceEmulator::pump() {
    if (!m_streaming || m_master < 0) return;
    if (lineIsClosed()) {
        lineClosed();
        return;
    }
    qint64 due = m_limit;
    if (!m_options.fast) {
        // 10 bits a byte at the reply rate of the generation.
        const qint64 bytesPerSecond =
            qint64{m_options.generation == 3 ? 1920 : 5600} * qMax(1, m_options.speed);
        due = qMin(m_limit, m_streamTime.elapsed() * bytesPerSecond / 1000 + 1);
    }
    if (m_hangupAt >= 0) due = qMin(due, m_hangupAt);
    while (m_sent < due) {
        const ssize_t n = ::write(m_master, m_reply.constData() + m_sent, static_cast<size_t>(due - m_sent));
        if (n <= 0) {
            // The line is full: go on when it drains.
            if (n < 0 && errno == EAGAIN && m_options.fast) m_writeNotifier->setEnabled(true);
            break;
        }
        m_sent += n;
        m_totalSent += n;
    }
    if (m_sent >= due && m_writeNotifier->isEnabled()) m_writeNotifier->setEnabled(false);
    if (m_hangupAt >= 0 && m_sent >= m_hangupAt) {
        hangUp();
        return;
    }
    if (m_sent >= m_limit) {
        m_streaming = false;
        m_writeNotifier->setEnabled(false);
        if (m_limit < m_reply.size())
            Q_EMIT message(QStringLiteral("stalled after %1 bytes").arg(m_sent));
        else
            Q_EMIT message(QStringLiteral("reply sent (%1 bytes)").arg(m_sent));
        Q_EMIT replyFinished(m_sent);
    }
    updateTimer();
}

void DeviceEmulator::hangUp() {
    Q_EMIT message(QStringLiteral("line cut after %1 bytes").arg(m_sent));
    m_streaming = false;
    m_pending = false;
    // The notifiers may be the ones calling: they go once their signal has returned.
    m_readNotifier->setEnabled(false);
    m_writeNotifier->setEnabled(false);
    m_readNotifier->deleteLater();
    m_writeNotifier->deleteLater();
    m_readNotifier = m_writeNotifier = nullptr;
    ::close(m_master);
    m_master = -1;
    m_tick.stop();
    Q_EMIT hungUp();
}

void DeviceEmulator::updateTimer() {
    if (m_master < 0) return;
    // The timer runs only while there is something to watch: a closed line, a reply to start or to pace.
    const bool needed = !m_lineOpen || m_pending || (m_streaming && !m_options.fast);
    if (needed && !m_tick.isActive()) m_tick.start();
    if (!needed && m_tick.isActive()) m_tick.stop();
}
