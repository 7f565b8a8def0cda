#pragma once

#include "core/link/PortTable.h"

#include <QSerialPort>
#include <array>

// Probes the ports of a port table on the real serial driver. A port that is absent, refused or
// held by another program cannot be opened; the probe never leaves a port open.
class SerialPortProber : public PortProber {
public:
    explicit SerialPortProber(const PortTable& table) : m_table(table) {}
    bool canOpen(int port) override;
    ProbeFailure failureOf(int port) const override;

    // Opens the device read-write with the driver's default settings and closes it again; on a
    // refusal *failure says why.
    static bool canOpenDevice(const QString& devicePath, ProbeFailure* failure = nullptr);

    // The driver reports a busy port and a forbidden one alike (a held lock or an exclusive open
    // are "permission" errors too); whether the user may read and write the device tells them apart.
    static ProbeFailure classify(QSerialPort::SerialPortError error, bool userMayOpen);

private:
    const PortTable& m_table;
    std::array<ProbeFailure, PortTable::kPortCount + 1> m_failures{};
};
