#pragma once

#include "cli/CliApp.h"

#include <QString>
#include <QStringList>
#include <QTextStream>

// Runs vorl-cli in-process with the given arguments and keeps what it wrote to each stream.
struct CliRun {
    int status;
    QString out;
    QString err;
};

inline CliRun runVorlCli(const QStringList& args) {
    QString out, err;
    QTextStream outStream(&out), errStream(&err);
    CliStreams io{outStream, errStream};
    const int status = runCli(QStringList{QStringLiteral("vorl-cli")} + args, io);
    outStream.flush();
    errStream.flush();
    return {status, out, err};
}
