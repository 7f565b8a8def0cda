#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// A settings string as the device documentation writes it: "56000,N,8,1" is baud rate, parity
// (N, E, O, M, S), data bits (5..8) and stop bits (1, 1.5, 2).
struct SerialSettings {
    int baudRate = 9600;
    char parity = 'N';
    int dataBits = 8;
    double stopBits = 1;
};
std::optional<SerialSettings> ParseSerialSettings(const QString& settings);

// The serial line to the device, with exactly what a download needs. The device streams its memory
// unasked once woken, so there is no request/response layer here: the program only writes command
// bytes and counts what arrives.
class SerialLink {
public:
    virtual ~SerialLink() = default;

    // Opens the device at the given settings with DTR off. Returns false when the port cannot be
    // opened (absent, busy, refused); errorText() then says why.
    virtual bool open(const QString& devicePath, const QString& settings) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;

    // A missing modem line (pseudo-terminal, some adapters) is not an error: the device only uses
    // DTR as a hint.
    virtual void setDataTerminalReady(bool on) = 0;

    // Never more than this many bytes wait to be read; the rest stays on the line until a read makes
    // room. The download's block rule depends on it.
    virtual void setInputBufferSize(int bytes) = 0;

    virtual void write(const QByteArray& bytes) = 0;
    virtual int bytesWaiting() const = 0;
    virtual QByteArray readAll() = 0;
    // Drops what waits; asked for on a closed port, it happens as the port opens.
    virtual void clearInput() = 0;

    // The line failed while open (adapter unplugged, device gone): the port has been closed. Cleared
    // by the next open.
    virtual bool lost() const = 0;
    virtual QString errorText() const = 0;
};
