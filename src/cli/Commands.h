#pragma once

#include "cli/CliApp.h"

// Each command group contributes its entries; allCliCommands() lists them in --help order.
std::vector<CliCommand> allCliCommands();
