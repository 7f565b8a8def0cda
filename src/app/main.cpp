#include "ui/shell/Application.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);
    QApplication app(argc, argv);
    return runVorlAnalyser(app);
}
