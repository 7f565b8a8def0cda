#pragma once

#include <QStringList>
#include <QTextStream>
#include <functional>
#include <vector>

// Where a command writes: results to standard output, progress to standard error.
struct CliStreams {
    QTextStream& out;
    QTextStream& err;
};

struct CliCommand {
    QString name;
    QString usage;   // arguments after the name
    QString summary; // one line for --help
    std::function<int(const QStringList& args, CliStreams& io)> run;
};

// All commands of vorl-cli, in the order --help lists them.
const std::vector<CliCommand>& cliCommands();

// Runs vorl-cli with its whole argument list (program name first); returns the exit status.
int runCli(const QStringList& arguments);
int runCli(const QStringList& arguments, CliStreams& io);

// Flushes standard output and tells whether everything written to it arrived; false with the reason
// when it did not (a full disk, a closed pipe).
bool standardOutputWritten(CliStreams& io, QString& reason);
