#pragma once

#include "core/link/PortTable.h"

#include <set>
#include <vector>

// Answers the port probe from a set of ports that "open", and records the order of the probes.
class FakePortProber : public PortProber {
public:
    FakePortProber() = default;
    explicit FakePortProber(std::set<int> ports) : openable(std::move(ports)) {}
    bool canOpen(int port) override {
        probed.push_back(port);
        return openable.count(port) != 0;
    }
    std::set<int> openable;
    std::vector<int> probed;
};
