#include "server/ServerApp.h"

#include <QCoreApplication>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vorl-server"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VORL_VERSION));
    return runServer(QCoreApplication::arguments().mid(1));
}
