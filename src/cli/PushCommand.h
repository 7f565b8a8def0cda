#pragma once

#include "cli/CliApp.h"
#include "cli/CliOptions.h"
#include "core/push/PushRun.h"

#include <QMap>
#include <memory>
#include <optional>

class Clock;
class PushTransport;

// "push" (save files to the server) and what "transfer --push" shares with it.
std::vector<CliCommand> pushCliCommands();

// Where and how a run sends, checked before anything is read, downloaded or sent.
struct PushTarget {
    PushSettings settings;
    QString stateFolder;
    std::unique_ptr<PushTransport> transport;
};

// The options beside the server's address: --token-file, --ca, --state.
std::vector<OptionRule> pushOptionRules();

// A token given as an argument is refused before anything else is read; true when it was (said on err).
bool refusesTokenArgument(const QStringList& args, const QString& command, QTextStream& err);

// The server's address, the token, the certificates and the state folder of a run; nothing after
// saying why, with the run's exit status in `status` (a usage error, or 1 after a message box).
std::optional<PushTarget> pushTargetFrom(const QString& command, const QString& server,
                                         const QMap<QString, QString>& options, CliStreams& io, int& status);

// A file to add to the queue: its bytes and the name it was given as.
struct PushNewFile {
    QString name;
    QByteArray bytes;
};

// Queues the files, then sends the whole queue, one result line per file; the exit status.
int queueAndPush(PushTarget& target, const std::vector<PushNewFile>& files, Clock& clock, CliStreams& io);

// The push command on a given clock: the tests wait faster than real time.
int runPushCommand(const QStringList& args, CliStreams& io, Clock& clock);
