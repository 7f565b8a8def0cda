#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// Maps the program's port numbers 1..16 ("COM 1" .. "COM 16") to serial devices of this machine.
class PortTable {
public:
    static constexpr int kPortCount = 16;

    // A serial device found on the machine; USB adapters are numbered before on-board ports.
    struct Device {
        QString path;
        bool isUsb = false;
    };

    // The table of this machine (see PortTable.cpp for the rule).
    static PortTable detect();
    // A table from explicit device paths (tests, the demo device).
    explicit PortTable(QStringList devicePaths = {});

    // Device path of port n (1..16), or "" when no device has that number.
    QString devicePath(int port) const;
    const QStringList& devicePaths() const { return m_paths; }

    // The numbering rule in words, as the documentation and the command line show it.
    static QString rule();

    // The numbering itself, without touching the machine: the paths of the override list (in their
    // order) then the devices found, ordered and deduplicated, at most kPortCount of them.
    static QStringList orderDevices(const QStringList& listedPaths, const QList<Device>& found);
    // Splits the override variable: paths separated by ':', blanks around them and empty entries dropped.
    static QStringList parsePortList(const QString& value);
    // Whether a device name is that of a USB serial adapter (ttyUSB*, ttyACM* and the like).
    static bool isUsbName(const QString& path);
    // Natural order of device paths: digit runs compare by value, so ttyUSB2 comes before ttyUSB10.
    static bool naturalLess(const QString& a, const QString& b);

private:
    QStringList m_paths;
};

// Why a port could not be opened.
enum class ProbeFailure {
    None,
    NoDevice,         // nothing at the device path (unplugged adapter, number without a device)
    PermissionDenied, // the user may not open the device (on Linux: not in the "dialout" group)
    Busy,             // another program holds the port
    Other,            // any other refusal, or a prober that cannot tell
};

// Tells whether a port can be opened: opens it and closes it again at once.
class PortProber {
public:
    virtual ~PortProber() = default;
    virtual bool canOpen(int port) = 0;
    // Why the last canOpen() of that port failed.
    virtual ProbeFailure failureOf(int port) const {
        Q_UNUSED(port);
        return ProbeFailure::Other;
    }
};
