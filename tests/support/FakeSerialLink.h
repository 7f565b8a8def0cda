#pragma once

#include "core/link/SerialLink.h"
#include "support/Fakes.h"

#include <QStringList>
#include <functional>
#include <vector>

// An in-memory serial line for protocol tests. The "device" side is scripted: onCommand sees every
// byte the program writes, and bytes reach the program at times scheduled on the FakeClock. Like a
// real port, bytes that arrive while the port is closed are lost, and no more than the input buffer
// size waits at once (the rest stays on the line until a read makes room).
class FakeSerialLink : public SerialLink {
public:
    explicit FakeSerialLink(FakeClock& clock) : m_clock(clock) {}

    // --- the device side
    std::function<void(quint8 command)> onCommand;
    bool refuseOpen = false;

    void arrive(const QByteArray& bytes) {
        if (!m_open) return;
        m_line += bytes;
        refill();
    }
    void arriveAt(qint64 time, const QByteArray& bytes) {
        m_clock.at(time, [this, bytes] { arrive(bytes); });
    }
    // Sends data as consecutive chunks of blockSize bytes, one chunk every interval ms from start.
    void streamAt(qint64 start, const QByteArray& data, int blockSize, qint64 interval) {
        for (int offset = 0, n = 0; offset < data.size(); offset += blockSize, ++n)
            arriveAt(start + n * interval, data.mid(offset, blockSize));
    }
    // Sends data as the given chunk sizes, one chunk every interval ms from start.
    void streamChunksAt(qint64 start, const QByteArray& data, const std::vector<int>& sizes,
                        qint64 interval) {
        int offset = 0;
        for (std::size_t n = 0; n < sizes.size(); ++n) {
            arriveAt(start + static_cast<qint64>(n) * interval, data.mid(offset, sizes[n]));
            offset += sizes[n];
        }
    }
    void loseAt(qint64 time) {
        m_clock.at(time, [this] {
            if (!m_open) return;
            m_lost = true;
            m_errorText = QStringLiteral("device disconnected");
            close();
        });
    }

    // --- what the program did
    QStringList opens;          // "path settings" of every successful open
    std::vector<int> readSizes; // size of every non-empty read
    QByteArray written;
    std::vector<bool> dtrChanges;
    int closes = 0;
    int inputBufferSize() const { return m_capacity; }

    // --- SerialLink
    bool open(const QString& devicePath, const QString& settings) override {
        m_lost = false;
        m_errorText.clear();
        if (refuseOpen || !ParseSerialSettings(settings)) {
            m_errorText = QStringLiteral("cannot open");
            return false;
        }
        opens << devicePath + QLatin1Char(' ') + settings;
        m_open = true;
        m_input.clear();
        m_line.clear();
        return true;
    }
    void close() override {
        if (!m_open) return;
        m_open = false;
        ++closes;
        m_input.clear();
        m_line.clear();
    }
    bool isOpen() const override { return m_open; }
    void setDataTerminalReady(bool on) override {
        if (m_open) dtrChanges.push_back(on);
    }
    void setInputBufferSize(int bytes) override { m_capacity = bytes; }
    void write(const QByteArray& bytes) override {
        if (!m_open) return;
        written += bytes;
        for (char c : bytes)
            if (onCommand) onCommand(static_cast<quint8>(c));
    }
    int bytesWaiting() const override { return m_open ? static_cast<int>(m_input.size()) : 0; }
    QByteArray readAll() override {
        if (!m_open) return {};
        QByteArray out = m_input;
        m_input.clear();
        if (!out.isEmpty()) readSizes.push_back(static_cast<int>(out.size()));
        refill();
        return out;
    }
    void clearInput() override {
        m_input.clear();
        m_line.clear();
    }
    bool lost() const override { return m_lost; }
    QString errorText() const override { return m_errorText; }

private:
    void refill() {
        const qsizetype room = m_capacity > 0 ? m_capacity - m_input.size() : m_line.size();
        if (room <= 0) return;
        m_input += m_line.left(room);
        m_line.remove(0, qMin(room, m_line.size()));
    }

    FakeClock& m_clock;
    bool m_open = false;
    bool m_lost = false;
    int m_capacity = 0;
    QByteArray m_input, m_line;
    QString m_errorText;
};
