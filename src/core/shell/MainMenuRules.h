#pragma once

#include "core/platform/MainShell.h"
#include "core/store/DataStore.h"
#include "core/store/WindowId.h"

#include <QString>

// The commands of the "&Analyse" menu: the four of the original program, then the statistics.
enum class AnalysisCommand { mnuGraphique, mnuTab_Leq, mnuEvenements, mnuParametres, mnuStatistiques };

// The view name an analysis command stores in Requested_View; the data-source dialog reads it to
// choose the window that follows.
QString RequestedViewOf(AnalysisCommand command);

// Everything an analysis command does before the data-source dialog opens: forget the last period
// (the parameters table has none), start a new graph at one day, close every open window and record
// the requested view. The caller then opens frmData_Type.
void PrepareAnalysisCommand(DataStore& store, WindowCloser& closer, AnalysisCommand command);

// Everything "&Quitter" does before the main window closes: a transfer in progress stops at its next
// check, and every open window runs its own close logic.
void PrepareQuit(DataStore& store, WindowCloser& closer);

// The transfer window follows the main window when it is minimised or maximised; a return to the
// normal size leaves it as it is, so a window hidden by a minimise stays hidden.
enum class MainWindowState { Normal, Minimised, Maximised };
enum class WaitWindowChange { None, Hide, Show };
WaitWindowChange WaitWindowChangeOn(const DataStore& store, MainWindowState state);

// While a download runs, the commands that would close its windows are locked: the analysis menu
// and the port dialog both start by closing every open window, which would stop the download and
// take the data-source dialog with it. "&Quitter" stays available: quitting stops the download.
// The entries get back the states they had when the lock ends. No shell: nothing to lock.
class TransferMenuLock {
public:
    explicit TransferMenuLock(MainShell* shell);
    ~TransferMenuLock();
    TransferMenuLock(const TransferMenuLock&) = delete;
    TransferMenuLock& operator=(const TransferMenuLock&) = delete;

private:
    MainShell* m_shell;
    bool m_analyseWasEnabled = false;
    bool m_portWasEnabled = false;
};
