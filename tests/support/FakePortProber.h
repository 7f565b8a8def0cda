#pragma once

#include "core/link/PortTable.h"

#include <map>
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
    ProbeFailure failureOf(int port) const override {
        const auto it = failures.find(port);
        return it == failures.end() ? ProbeFailure::Other : it->second;
    }
    std::set<int> openable;
    std::map<int, ProbeFailure> failures; // why a port does not open (Other when not listed)
    std::vector<int> probed;
};
