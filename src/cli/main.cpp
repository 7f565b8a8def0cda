#include "cli/CliApp.h"

#include <QDir>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <memory>

int main(int argc, char** argv) {
    // Pictures (graphs, printouts) are drawn without a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // Without a session (root, containers, cron) Qt would warn that it has no runtime folder: give it a
    // private one for the run, removed at the end.
    std::unique_ptr<QTemporaryDir> runtimeDir;
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        runtimeDir =
            std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/vorl-cli-runtime-XXXXXX"));
        if (runtimeDir->isValid()) qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtimeDir->path()));
    }
    QGuiApplication app(argc, argv);
    QGuiApplication::setApplicationName(QStringLiteral("vorl-cli"));
    QGuiApplication::setApplicationVersion(QStringLiteral(VORL_VERSION));
    return runCli(QGuiApplication::arguments());
}
