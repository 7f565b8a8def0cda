#pragma once

#include "cli/CliApp.h"

// vorl-cli archive import|list|coverage|extract|verify|venue, each with --archive LOCATION.
std::vector<CliCommand> archiveCliCommands();

// vorl-cli generate --history DIR [--weeks N] [--seed S]: the weekly save files of one device.
int runGenerateHistory(const QStringList& args, CliStreams& io);
