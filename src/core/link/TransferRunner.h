#pragma once

#include "core/store/DataStore.h"

// Runs a complete download from the device of the store's generation, with its progress window,
// decoding and sorting. The outcome is left in the store as the data-source dialog reads it:
// Data_Loaded true on success; otherwise Abort_Flag true and Transfer_Step telling why
// (0 = cancelled by the user, 1..4 = the four transmission errors).
// A port that cannot be opened or fails during the download is reported by the runner itself in a
// message box; the store then holds Abort_Flag true and Transfer_Step kTransferStepReported, which
// the data-source dialog takes as "told the user already" and closes without a message of its own.
// A failed or cancelled download changes no data: the previous data set, and its Data_Loaded, stay
// as they were, so tell the outcome from Abort_Flag, not from Data_Loaded.
constexpr int16_t kTransferStepReported = -2;

class TransferRunner {
public:
    virtual ~TransferRunner() = default;
    virtual void runTransfer(DataStore& store) = 0;
};
