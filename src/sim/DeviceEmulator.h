#pragma once

#include "core/store/DataStore.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

class QSocketNotifier;

struct EmulatorOptions {
    int generation = 5;
    bool fast = false;       // send as fast as the line takes it instead of at the line rate
    int speed = 1;           // paced at this many times the line rate (a shortened run for tests)
    int answerFrom = 1;      // the memory command is answered from its n-th occurrence on
    qint64 stallAfter = -1;  // the memory dump stops after this many bytes (-1: never)
    int extraFinal = 0;      // bytes the memory dump carries beyond its size
    qint64 hangupAfter = -1; // the line is cut after this many bytes of the dump (-1: never)
    bool paramReply = true;  // generation 3: the parameter command is answered
    int paramLimit = -1;     // generation 3: the parameter reply stops after this many bytes (-1: never)
    int noiseBefore = 0;     // bytes of line noise that come ahead of the memory dump
    int replyDelayMs = 50;   // from a command to the first byte of its reply
};

// A QLV 40 on a pseudo-terminal: the program opens the terminal's other end as its serial port.
// On 0x01 the emulator streams the memory image of its data set, on 0x03 (generation 3) the
// parameter zone; bytes go out at the line rate of the generation (10 bits a byte) unless fast.
// A reply starts only while the program holds the port open (a generation-3 program closes it
// between its command and the reply) and stops when the program closes the port, as the bytes of
// a real device would then be lost.
class DeviceEmulator : public QObject {
    Q_OBJECT
public:
    DeviceEmulator(const DeviceData& data, const EmulatorOptions& options, QObject* parent = nullptr);
    ~DeviceEmulator() override;

    // Opens the pseudo-terminal; false (and *error) when the system refuses one.
    bool start(QString* error = nullptr);
    // The device path the program opens ("/dev/pts/N").
    QString devicePath() const { return m_devicePath; }

    int memoryCommands() const { return m_memoryCommands; }
    qint64 bytesSent() const { return m_totalSent; }
    bool isHungUp() const { return m_master < 0 && m_started; }

Q_SIGNALS:
    void message(const QString& line); // what the device does, for a log
    void replyFinished(qint64 bytes);
    void hungUp();

private:
    void onReadable();
    void onTick();
    void command(quint8 byte);
    void schedule(const QByteArray& reply, qint64 limit, qint64 hangupAt);
    void lineClosed();
    bool lineIsClosed() const;
    void pump();
    void hangUp();
    void updateTimer();

    QByteArray m_memory, m_params;
    EmulatorOptions m_options;
    int m_master = -1;
    bool m_started = false;
    QString m_devicePath;
    QSocketNotifier* m_readNotifier = nullptr;
    QSocketNotifier* m_writeNotifier = nullptr;
    QTimer m_tick;

    bool m_lineOpen = true;
    QElapsedTimer m_lineOpenSince;

    // The reply being sent or waiting to start.
    QByteArray m_reply;
    qint64 m_limit = 0;     // bytes of the reply that will be sent
    qint64 m_hangupAt = -1; // cut the line after this many
    qint64 m_sent = 0;
    bool m_pending = false;
    bool m_streaming = false;
    QElapsedTimer m_commandTime;
    QElapsedTimer m_streamTime;

    int m_memoryCommands = 0;
    qint64 m_totalSent = 0;
};
