#include "cli/PortCommands.h"

#include "cli/CliOptions.h"

#include "core/link/PortTable.h"
#include "core/link/SerialPortProber.h"

namespace {
const char* probeFailureName(ProbeFailure failure) {
    switch (failure) {
    case ProbeFailure::NoDevice:
        return " (no such device)";
    case ProbeFailure::PermissionDenied:
        return " (permission denied: is the user in the dialout group?)";
    case ProbeFailure::Busy:
        return " (busy: held by another program)";
    case ProbeFailure::None:
    case ProbeFailure::Other:
        break;
    }
    return "";
}

int runPorts(const QStringList& args, CliStreams& io) {
    const auto parsed =
        ParseCliArgs(args, {{QStringLiteral("rule"), OptionKind::Switch}}, QStringLiteral("ports"), io.err);
    if (!parsed || !CliNoArguments(*parsed, QStringLiteral("ports"), io.err)) return kCliUsageError;
    if (parsed->has("rule")) {
        io.out << PortTable::rule() << '\n';
        return 0;
    }
    const PortTable table = PortTable::detect();
    if (table.devicePaths().isEmpty()) {
        io.err << "No serial device found (see vorl-cli ports --rule).\n";
        return 0;
    }
    SerialPortProber prober(table);
    for (int port = 1; port <= table.devicePaths().size(); ++port) {
        io.out << "COM " << port << '\t' << table.devicePath(port) << '\t';
        if (prober.canOpen(port))
            io.out << "usable\n";
        else
            io.out << "cannot be opened" << probeFailureName(prober.failureOf(port)) << '\n';
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
