#pragma once

#include "core/archive/ArchiveWorker.h"
#include "core/link/PortTable.h"
#include "core/link/TransferRunner.h"
#include "core/platform/Clock.h"
#include "core/platform/MainShell.h"
#include "core/platform/UiServices.h"
#include "core/store/DataStore.h"
#include "ui/shell/WindowHost.h"

// Everything a window may reach: the store, the platform services, the main window and the archive
// (one connection for the whole program, on a thread of its own).
// One instance lives as long as the main window; tests build one from fakes.
struct AppContext {
    DataStore& store;
    UiServices& ui;
    Clock& clock;
    MainShell& shell;
    WindowHost& windows;
    PortTable& ports;
    PortProber& prober;
    TransferRunner& transfer;
    ArchiveWorker& archive;
};
