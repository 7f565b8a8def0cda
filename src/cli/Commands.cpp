#include "cli/Commands.h"

#include "cli/LinkCommands.h"

std::vector<CliCommand> allCliCommands() {
    std::vector<CliCommand> commands;
    for (CliCommand& command : linkCliCommands())
        commands.push_back(std::move(command));
    return commands;
}
