#pragma once

#include "core/store/DataStore.h"

// Runs a complete download from the device of the store's generation, with its progress window,
// decoding and sorting. The outcome is left in the store as the data-source dialog reads it:
// Data_Loaded true on success; otherwise Abort_Flag true and Transfer_Step telling why
// (0 = cancelled by the user, 1..4 = the four transmission errors).
class TransferRunner {
public:
    virtual ~TransferRunner() = default;
    virtual void runTransfer(DataStore& store) = 0;
};
