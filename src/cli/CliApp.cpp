#include "cli/CliApp.h"

#include "cli/Commands.h"

#include <QFileDevice>

const std::vector<CliCommand>& cliCommands() {
    static const std::vector<CliCommand> commands = allCliCommands();
    return commands;
}

namespace {
constexpr int kUsageError = 2;

// Laid out for help2man: a name line, the usage lines, then sections headed "Title:".
void printHelp(QTextStream& out) {
    out << "vorl-cli - command-line companion of VORL Analyser, the analyser of QLV 40 sound-level monitor "
           "data\n"
           "Usage: vorl-cli COMMAND [ARGUMENTS]\n"
           "  or:  vorl-cli COMMAND --help\n"
           "  or:  vorl-cli --help | --version\n\n"
           "Commands:\n";
    for (const CliCommand& command : cliCommands()) {
        out << "  " << command.name;
        if (!command.usage.isEmpty()) out << ' ' << command.usage;
        out << "\n      " << command.summary << '\n';
    }
    out << "\nOptions:\n"
           "  -h, --help     show this help (after a command: that command's usage) and exit\n"
           "      --version  show the program version and exit\n\n"
           "Output:\n"
           "  Results go to standard output, progress to standard error. A message box of the program is\n"
           "  printed as two lines, its title then its text. export and stats --format csv|json print their\n"
           "  messages on standard error, so that standard output carries only data; their --out FILE\n"
           "  writes a file instead (\"-\" is standard output). A file named by --out or --pdf is replaced\n"
           "  only once it is completely written; a device, pipe or folder is refused.\n\n"
           "Languages:\n"
           "  The program's own texts (message boxes, tables, printouts) are in French, as the program\n"
           "  shows them; vorl-cli's usage, argument errors and progress notes are in English.\n\n"
           "Exit status:\n"
           "  0 on success; 1 when a message reports a failure or a file or standard output cannot be\n"
           "  written; 2 for a usage error.\n";
}

void printCommandHelp(const CliCommand& command, QTextStream& out) {
    out << "Usage: vorl-cli " << command.name;
    if (!command.usage.isEmpty()) out << ' ' << command.usage;
    out << '\n' << command.summary << '\n';
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
        printHelp(io.out);
        return args.isEmpty() ? kUsageError : 0;
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
