#pragma once

#include <QString>
#include <QStringList>

// Maps the program's port numbers 1..16 ("COM 1" .. "COM 16") to serial devices of this machine.
class PortTable {
public:
    static constexpr int kPortCount = 16;

    // The table of this machine (see PortTable.cpp for the rule).
    static PortTable detect();
    // A table from explicit device paths (tests, the demo device).
    explicit PortTable(QStringList devicePaths = {});

    // Device path of port n (1..16), or "" when no device has that number.
    QString devicePath(int port) const;
    const QStringList& devicePaths() const { return m_paths; }

private:
    QStringList m_paths;
};

// Tells whether a port can be opened: opens it and closes it again at once.
class PortProber {
public:
    virtual ~PortProber() = default;
    virtual bool canOpen(int port) = 0;
};
