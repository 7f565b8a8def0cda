#pragma once

#include "cli/CliApp.h"

#include <vector>

// vorl-cli compliance: the sliding level of a save file's nights against a legal or free limit, as text,
// CSV or JSON.
std::vector<CliCommand> complianceCommands();
