#pragma once

#include "core/link/TransferRunner.h"

#include <functional>

// A transfer whose outcome the test writes: the action runs in place of the download.
class FakeTransferRunner : public TransferRunner {
public:
    void runTransfer(DataStore& store) override {
        ++runs;
        if (action) action(store);
    }
    std::function<void(DataStore&)> action;
    int runs = 0;
};
