#pragma once

#include "cli/CliApp.h"

// generate, info and check: synthetic save files and what a save file holds.
std::vector<CliCommand> fileCliCommands();
