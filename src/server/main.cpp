#include "server/ServerApp.h"

#include <QGuiApplication>
#include <cstring>
#include <memory>

int main(int argc, char** argv) {
    // The server paints reports and plots off screen: it needs no display. Its other commands need no
    // painting at all.
    std::unique_ptr<QCoreApplication> app;
    if (argc > 1 && std::strcmp(argv[1], "serve") == 0) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    QCoreApplication::setApplicationName(QStringLiteral("vorl-server"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VORL_VERSION));
    return runServer(QCoreApplication::arguments().mid(1));
}
