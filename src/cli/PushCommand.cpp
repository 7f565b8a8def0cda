#include "cli/PushCommand.h"

#include "cli/TerminalText.h"
#include "core/files/SaveFile.h"
#include "core/platform/QtClock.h"
#include "core/push/PushServerUrl.h"
#include "core/push/PushToken.h"
#include "net/QtPushTransport.h"

namespace {
const QString kTitle = QStringLiteral("Envoi au serveur");

int failure(CliStreams& io, const QString& text) {
    io.out << kTitle << '\n' << TerminalText(text) << '\n';
    return 1;
}

void resultLine(CliStreams& io, const QString& name, const QString& text) {
    io.out << TerminalText(name) << " : " << TerminalText(text) << '\n';
    io.out.flush();
}

int runPush(const QStringList& args, CliStreams& io) {
    QtClock clock;
    return runPushCommand(args, io, clock);
}
} // namespace

std::vector<OptionRule> pushOptionRules() {
    return ValueOptions({QStringLiteral("token-file"), QStringLiteral("ca"), QStringLiteral("state")});
}

bool refusesTokenArgument(const QStringList& args, const QString& command, QTextStream& err) {
    for (const QString& arg : args) {
        if (arg == QLatin1String("--token") || arg.startsWith(QLatin1String("--token="))) {
            // The value is not repeated: it is a secret.
            CliUsageError(err, command,
                          QStringLiteral("a token is never taken as an argument (other users can see it): "
                                         "put it in VORL_TOKEN or in a file named by --token-file"));
            return true;
        }
    }
    return false;
}

std::optional<PushTarget> pushTargetFrom(const QString& command, const QString& server,
                                         const QMap<QString, QString>& options, CliStreams& io, int& status) {
    status = 1;
    // A blank one would quietly mean the system's store or the default folder.
    for (const QString& name : {QStringLiteral("ca"), QStringLiteral("state"), QStringLiteral("token-file")})
        if (options.contains(name) && options.value(name).trimmed().isEmpty()) {
            status =
                CliUsageError(io.err, command, QStringLiteral("--%1 needs a value, not a blank").arg(name));
            return std::nullopt;
        }
    const PushServerUrl url = ParsePushServerUrl(server);
    if (!url.ok()) {
        failure(io, url.problem);
        return std::nullopt;
    }
    const PushToken token = ReadPushToken(options.value(QStringLiteral("token-file")), qgetenv("VORL_TOKEN"));
    if (!token.ok()) {
        failure(io, token.problem);
        return std::nullopt;
    }
    QString reason;
    auto transport = QtPushTransport::create(options.value(QStringLiteral("ca")), reason);
    if (!transport) {
        failure(io, reason);
        return std::nullopt;
    }
    PushTarget target;
    target.settings.endpoint = url.endpoint;
    target.settings.token = token.value;
    target.stateFolder = options.value(QStringLiteral("state"), PushQueue::defaultFolder());
    target.transport = std::move(transport);
    status = 0;
    return target;
}

int queueAndPush(PushTarget& target, const std::vector<PushNewFile>& files, Clock& clock, CliStreams& io) {
    PushQueue queue(target.stateFolder);
    QString reason;
    if (!queue.open(reason)) return failure(io, reason);
    int status = 0;
    for (const PushNewFile& file : files) {
        if (queue.add(file.bytes, file.name, reason).isEmpty()) {
            resultLine(io, file.name, QStringLiteral("non envoyé : ") + reason);
            status = 1;
        }
    }
    const PushRunResult result =
        SendPushQueue(queue, *target.transport, clock, target.settings, [&io](const QString& note) {
            io.err << TerminalText(note) << '\n';
            io.err.flush();
        });
    for (const PushFileOutcome& file : result.files)
        resultLine(io, file.name, file.text);
    return result.allAccepted() ? status : 1;
}

int runPushCommand(const QStringList& args, CliStreams& io, Clock& clock) {
    const QString command = QStringLiteral("push");
    if (refusesTokenArgument(args, command, io.err)) return kCliUsageError;
    std::vector<OptionRule> rules = pushOptionRules();
    rules.push_back({QStringLiteral("server"), OptionKind::Value});
    const auto parsed = ParseCliArgs(args, rules, command, io.err);
    if (!parsed) return kCliUsageError;
    if (parsed->value("server").trimmed().isEmpty())
        return CliUsageError(io.err, command, QStringLiteral("--server URL is needed"));
    int status = 0;
    auto target = pushTargetFrom(command, parsed->value("server"), parsed->options, io, status);
    if (!target) return status;

    std::vector<PushNewFile> files;
    for (const QString& path : parsed->positional) {
        // Only a save file this program reads is queued: the server would refuse anything else anyway,
        // and a FIFO or a device is never opened.
        const SaveFileRead read = ReadSaveFile(path);
        if (!read.ok()) {
            resultLine(io, OriginalFileName(path), QStringLiteral("non envoyé : ") + read.problem->text);
            status = 1;
            continue;
        }
        files.push_back({OriginalFileName(path), read.bytes});
    }
    const int pushed = queueAndPush(*target, files, clock, io);
    return status != 0 ? status : pushed;
}

std::vector<CliCommand> pushCliCommands() {
    return {
        {QStringLiteral("push"),
         QStringLiteral("[FILE.qlv...] --server URL [--token-file FILE] [--ca FILE.pem] [--state DIR]"),
         QStringLiteral(
             "send save files to the server: each FILE joins the queue of the state folder (default "
             "$XDG_STATE_HOME/vorl-analyser/push), then the whole queue is sent, oldest first; the "
             "token comes from VORL_TOKEN or --token-file (a file only its owner may read), never from "
             "an argument; https only, http:// only to this machine; --ca: trust only these "
             "certificates; a busy or unreachable server is tried again briefly, then the files wait "
             "for the next run; a file the server refuses moves to refused/"),
         runPush},
    };
}
