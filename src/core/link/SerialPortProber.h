#pragma once

#include "core/link/PortTable.h"

// Probes the ports of a port table on the real serial driver. A port that is absent, refused or
// held by another program cannot be opened; the probe never leaves a port open.
class SerialPortProber : public PortProber {
public:
    explicit SerialPortProber(const PortTable& table) : m_table(table) {}
    bool canOpen(int port) override;

    // Opens the device read-write with the driver's default settings and closes it again.
    static bool canOpenDevice(const QString& devicePath);

private:
    const PortTable& m_table;
};
