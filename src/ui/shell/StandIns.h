#pragma once

#include "core/link/PortTable.h"
#include "core/link/TransferRunner.h"

// Until the device link is part of the program: a transfer that reports a transmission error
// without touching the data in memory.
class StandInTransferRunner : public TransferRunner {
public:
    void runTransfer(DataStore& store) override;
};
