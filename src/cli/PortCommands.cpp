#include "cli/PortCommands.h"

#include "core/link/PortTable.h"
#include "core/link/SerialPortProber.h"

namespace {
int runPorts(const QStringList& args, CliStreams& io) {
    if (args == QStringList{QStringLiteral("--rule")}) {
        io.out << PortTable::rule() << '\n';
        return 0;
    }
    if (!args.isEmpty()) {
        io.err << "vorl-cli ports: unexpected argument '" << args.first()
               << "' (usage: vorl-cli ports [--rule])\n";
        return 2;
    }
    const PortTable table = PortTable::detect();
    if (table.devicePaths().isEmpty()) {
        io.err << "No serial device found (see vorl-cli ports --rule).\n";
        return 0;
    }
    SerialPortProber prober(table);
    for (int port = 1; port <= table.devicePaths().size(); ++port) {
        io.out << "COM " << port << '\t' << table.devicePath(port) << '\t'
               << (prober.canOpen(port) ? "usable" : "cannot be opened") << '\n';
    }
    return 0;
}
} // namespace

std::vector<CliCommand> portCommands() {
    return {
        {QStringLiteral("ports"), QStringLiteral("[--rule]"),
         QStringLiteral(
             "lists the serial devices behind COM 1..16 and whether each opens (--rule: the numbering rule)"),
         runPorts}};
}
