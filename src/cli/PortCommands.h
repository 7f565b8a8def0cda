#pragma once

#include "cli/CliApp.h"

// "ports": which device each port number of the port dialog stands for, and whether it opens.
std::vector<CliCommand> portCommands();
