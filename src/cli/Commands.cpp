#include "cli/Commands.h"

std::vector<CliCommand> allCliCommands() {
    std::vector<CliCommand> commands;
    return commands;
}
