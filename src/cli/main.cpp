#include "cli/CliApp.h"

#include <QGuiApplication>

int main(int argc, char** argv) {
    // Pictures (graphs, printouts) are drawn without a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QGuiApplication::setApplicationName(QStringLiteral("vorl-cli"));
    QGuiApplication::setApplicationVersion(QStringLiteral(VORL_VERSION));
    return runCli(QGuiApplication::arguments());
}
