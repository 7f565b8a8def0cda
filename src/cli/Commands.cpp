#include "cli/Commands.h"

#include "cli/TableCommands.h"

std::vector<CliCommand> allCliCommands() {
    std::vector<CliCommand> commands;
    for (auto& command : tableCommands())
        commands.push_back(std::move(command));
    return commands;
}
