#pragma once

#include "core/link/PortTable.h"
#include "core/link/TransferRunner.h"

// Until the device link is part of the program: a prober that really opens and closes the port's
// device, and a transfer that reports a transmission error without touching the data in memory.
class SerialPortProber : public PortProber {
public:
    explicit SerialPortProber(const PortTable& ports) : m_ports(ports) {}
    bool canOpen(int port) override;

private:
    const PortTable& m_ports;
};

class StandInTransferRunner : public TransferRunner {
public:
    void runTransfer(DataStore& store) override;
};
