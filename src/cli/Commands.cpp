#include "cli/Commands.h"

#include "cli/GraphCommands.h"

std::vector<CliCommand> allCliCommands() {
    std::vector<CliCommand> commands;
    for (CliCommand& command : graphCommands())
        commands.push_back(std::move(command));
    return commands;
}
