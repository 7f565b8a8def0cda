#pragma once

#include "cli/CliApp.h"

#include <vector>

// vorl-cli graph: the two graph boxes of a window as the graph window draws them, to PNG or PDF.
std::vector<CliCommand> graphRenderCommands();
