#include "cli/CliApp.h"

#include "cli/CliManual.h"
#include "cli/Commands.h"

#include <QFileDevice>

const std::vector<CliCommand>& cliCommands() {
    static const std::vector<CliCommand> commands = allCliCommands();
    return commands;
}

namespace {
constexpr int kUsageError = 2;

void printCommandHelp(const CliCommand& command, QTextStream& out) {
    out << "Usage: vorl-cli " << command.name;
    if (!command.usage.isEmpty()) out << ' ' << command.usage;
    out << '\n' << wrapHelpText(command.summary, 0) << '\n';
}

bool asksForHelp(const QStringList& args) {
    return args.contains(QLatin1String("--help")) || (!args.isEmpty() && args.first() == QLatin1String("-h"));
}

int runCommand(const QStringList& args, CliStreams& io) {
    // "help COMMAND" is "COMMAND --help".
    if (args.size() == 2 && args.first() == QLatin1String("help"))
        return runCommand({args.at(1), QStringLiteral("--help")}, io);
    if (args.isEmpty() || args.first() == QLatin1String("--help") || args.first() == QLatin1String("-h") ||
        args.first() == QLatin1String("help")) {
        printCliHelp(io.out);
        return args.isEmpty() ? kUsageError : 0;
    }
    if (args.first() == QLatin1String("--man-page")) {
        printCliManualPage(io.out);
        return 0;
    }
    if (args.first() == QLatin1String("--version")) {
        io.out << "vorl-cli " << VORL_VERSION << '\n';
        return 0;
    }
    for (const CliCommand& command : cliCommands()) {
        if (command.name != args.first()) continue;
        if (asksForHelp(args.mid(1))) {
            printCommandHelp(command, io.out);
            return 0;
        }
        return command.run(args.mid(1), io);
    }
    io.err << "vorl-cli: unknown command '" << args.first() << "' (see vorl-cli --help)\n";
    return kUsageError;
}
} // namespace

bool standardOutputWritten(CliStreams& io, QString& reason) {
    io.out.flush();
    if (io.out.status() == QTextStream::Ok) return true;
    const auto* file = qobject_cast<const QFileDevice*>(io.out.device());
    reason = file && file->error() != QFileDevice::NoError ? file->errorString()
                                                           : QStringLiteral("the output was not taken");
    return false;
}

int runCli(const QStringList& arguments, CliStreams& io) {
    int status = runCommand(arguments.mid(1), io);
    // Data that never arrived is a failure, whatever the command thought of its work.
    QString reason;
    if (!standardOutputWritten(io, reason) && status == 0) {
        io.err << "vorl-cli: cannot write to standard output: " << reason << '\n';
        status = 1;
    }
    return status;
}

int runCli(const QStringList& arguments) {
    QTextStream out(stdout);
    QTextStream err(stderr);
    CliStreams io{out, err};
    const int status = runCli(arguments, io);
    err.flush();
    return status;
}
