#include "cli/Commands.h"

#include "cli/PortCommands.h"

std::vector<CliCommand> allCliCommands() {
    std::vector<CliCommand> commands;
    for (auto& command : portCommands())
        commands.push_back(std::move(command));
    return commands;
}
