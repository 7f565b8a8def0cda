#include "cli/Commands.h"

#include "cli/FileCommands.h"

std::vector<CliCommand> allCliCommands() {
    std::vector<CliCommand> commands;
    for (CliCommand& command : fileCliCommands())
        commands.push_back(std::move(command));
    return commands;
}
