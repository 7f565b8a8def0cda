#include "cli/Commands.h"

#include "cli/ArchiveCommands.h"
#include "cli/ComplianceCommands.h"
#include "cli/FileCommands.h"
#include "cli/GraphCommands.h"
#include "cli/GraphRenderCommand.h"
#include "cli/LinkCommands.h"
#include "cli/PortCommands.h"
#include "cli/PushCommand.h"
#include "cli/StatsCommands.h"
#include "cli/TableCommands.h"

namespace {
void append(std::vector<CliCommand>& commands, std::vector<CliCommand> group) {
    for (CliCommand& command : group)
        commands.push_back(std::move(command));
}
} // namespace

std::vector<CliCommand> allCliCommands() {
    std::vector<CliCommand> commands;
    append(commands, fileCliCommands());
    append(commands, tableCommands());
    append(commands, graphCommands());
    append(commands, graphRenderCommands());
    append(commands, linkCliCommands());
    append(commands, pushCliCommands());
    append(commands, portCommands());
    append(commands, statsCommands());
    append(commands, complianceCommands());
    append(commands, archiveCliCommands());
    return commands;
}
