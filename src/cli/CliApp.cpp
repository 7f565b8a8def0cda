#include "cli/CliApp.h"

#include "cli/Commands.h"

#include <cstdio>

const std::vector<CliCommand>& cliCommands() {
    static const std::vector<CliCommand> commands = allCliCommands();
    return commands;
}

namespace {
void printHelp(QTextStream& out) {
    out << "Usage: vorl-cli COMMAND [ARGUMENTS]\n"
           "Command-line companion of VORL Analyser, the analyser of QLV 40 sound-level monitor data.\n\n"
           "Commands:\n";
    for (const CliCommand& command : cliCommands()) {
        out << "  " << command.name;
        if (!command.usage.isEmpty()) out << ' ' << command.usage;
        out << "\n      " << command.summary << '\n';
    }
    out << "\nOptions:\n  --help     this list\n  --version  the program version\n\n"
           "A message box of the program is printed as two lines, its title then its text; a command\n"
           "exits with a non-zero status when such a message reports a failure.\n";
}
} // namespace

int runCli(const QStringList& arguments, CliStreams& io) {
    const QStringList args = arguments.mid(1);
    if (args.isEmpty() || args.first() == QLatin1String("--help") || args.first() == QLatin1String("-h") ||
        args.first() == QLatin1String("help")) {
        printHelp(io.out);
        return args.isEmpty() ? 2 : 0;
    }
    if (args.first() == QLatin1String("--version")) {
        io.out << "vorl-cli " << VORL_VERSION << '\n';
        return 0;
    }
    for (const CliCommand& command : cliCommands()) {
        if (command.name == args.first()) return command.run(args.mid(1), io);
    }
    io.err << "vorl-cli: unknown command '" << args.first() << "' (see vorl-cli --help)\n";
    return 2;
}

int runCli(const QStringList& arguments) {
    QTextStream out(stdout);
    QTextStream err(stderr);
    CliStreams io{out, err};
    const int status = runCli(arguments, io);
    out.flush();
    err.flush();
    return status;
}
