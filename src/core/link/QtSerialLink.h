#pragma once

#include "core/link/SerialLink.h"

#include <QSerialPort>

class Clock;

// The serial line on QSerialPort. Arriving bytes and line errors wake the clock, so a download
// that waits for data sleeps until the data is there.
class QtSerialLink : public SerialLink {
public:
    explicit QtSerialLink(Clock* clock = nullptr);
    ~QtSerialLink() override;

    bool open(const QString& devicePath, const QString& settings) override;
    void close() override;
    bool isOpen() const override;
    void setDataTerminalReady(bool on) override;
    void setInputBufferSize(int bytes) override;
    void write(const QByteArray& bytes) override;
    int bytesWaiting() const override;
    QByteArray readAll() override;
    void clearInput() override;
    bool lost() const override { return m_lost; }
    QString errorText() const override { return m_errorText; }

private:
    void handleError(QSerialPort::SerialPortError error);

    QSerialPort m_port;
    Clock* m_clock = nullptr;
    bool m_lost = false;
    bool m_clearOnOpen = false;
    QString m_errorText;
};
