#pragma once

#include "core/archive/ArchiveWorker.h"
#include "core/link/PortTable.h"
#include "core/link/SerialPortProber.h"
#include "core/platform/QtClock.h"
#include "core/store/DataStore.h"
#include "ui/link/UiTransferRunner.h"
#include "ui/shell/FrmMain.h"
#include "ui/shell/QtUiServices.h"

class QApplication;

// The program's real services and its main window, wired together: message boxes over the main
// window, the transfer in its context, the save command on its menu.
class AnalyserWindows {
public:
    AnalyserWindows();
    FrmMain& main() { return m_main; }
    DataStore& store() { return m_store; }
    UiServices& ui() { return m_ui; }

private:
    DataStore m_store;
    QtClock m_clock;
    QtUiServices m_ui;
    PortTable m_ports;
    SerialPortProber m_prober;
    // Ends after the windows and the transfer that give it jobs: it lets its jobs finish, then stops.
    ArchiveWorker m_archive;
    UiTransferRunner m_transfer;
    FrmMain m_main;
};

// The start-up of the main window, in its order: the main window shows, the splash holds it
// disabled for the splash time, the store receives its start values, then the port dialog opens.
// Returns false when the main window was closed meanwhile (the program then ends).
bool runStartUp(FrmMain& main);

// Builds the main window and its services, runs the start-up sequence and the event loop.
int runVorlAnalyser(QApplication& app);
