#pragma once

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
