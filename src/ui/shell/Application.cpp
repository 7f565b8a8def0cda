#include "ui/shell/Application.h"

#include <QApplication>

int runVorlAnalyser(QApplication& app) { return app.exec(); }
