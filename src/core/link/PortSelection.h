#pragma once

#include "core/link/PortTable.h"
#include "core/store/DataStore.h"

#include <QString>
#include <array>
#include <optional>

// The rules of the port dialog frmPort, apart from its controls: which ports are offered, which
// one is preselected, what "Ok" stores and which title the main window shows afterwards.

// Main-window titles. The program's version text is part of each title; the one shown when the
// dialog closes without a port has always read "5.5" and is kept as it is.
QString portChosenTitle(int comPort, int deviceVersion);
QString noPortOkTitle();
QString noPortClosedTitle();

// Tool tip of a port button: the device behind the number, or a note that there is none, followed
// for a port that cannot be opened by the reason the probe got.
QString portToolTip(const PortTable& table, int port, ProbeFailure failure = ProbeFailure::None);
// The reason in words, for the tool tip ("" for None).
QString probeFailureText(ProbeFailure failure);

// What the dialog shows once loaded.
struct PortChoices {
    std::array<bool, PortTable::kPortCount + 1> usable{};           // index 1..16; [0] unused
    std::array<ProbeFailure, PortTable::kPortCount + 1> failures{}; // why a port is not usable
    int usableCount = 0;
    int selectedPort = 0;    // button selected at load, 0 for none
    int selectedVersion = 0; // 3 or 5: the version button selected at load, 0 for none
    bool okEnabled = false;

    bool isUsable(int port) const { return port >= 1 && port <= PortTable::kPortCount && usable[port]; }
};

// The load of the dialog after its housekeeping: probes ports 1..16 in turn, forgets a previous
// port that can no longer be opened, takes the only usable port when there is exactly one, and
// preselects Com_Port. Writes Com_Port.
PortChoices loadPortChoices(DataStore& store, PortProber& prober);

// What "Ok" leads to.
struct PortOkOutcome {
    QString caption;  // new main-window title
    bool closeWindow; // a port is chosen: the dialog closes and the analysis menus open up
};

// "Ok": stores the selected port (0 = no port button selected, Com_Port kept) and generation
// (0 = neither version button selected, Device_Version kept).
PortOkOutcome acceptPortChoice(DataStore& store, int selectedPort, int selectedVersion);

// The title the main window takes when the dialog closes, if it changes.
std::optional<QString> portUnloadTitle(const DataStore& store);
