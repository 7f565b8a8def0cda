#pragma once

class QApplication;

// Builds the main window and its services, runs the start-up sequence and the event loop.
int runVorlAnalyser(QApplication& app);
