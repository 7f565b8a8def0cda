#pragma once

class FrmMain;
class QApplication;

// The start-up of the main window, in its order: the main window shows, the splash holds it
// disabled for the splash time, the store receives its start values, then the port dialog opens.
// Returns false when the main window was closed meanwhile (the program then ends).
bool runStartUp(FrmMain& main);

// Builds the main window and its services, runs the start-up sequence and the event loop.
int runVorlAnalyser(QApplication& app);
