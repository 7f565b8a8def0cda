#pragma once

#include "cli/CliApp.h"

class Clock;

// "simulate" (a device on a pseudo-terminal) and "transfer" (a download into a save file).
std::vector<CliCommand> linkCliCommands();

// The transfer command on a given clock: the tests run the protocol's waits faster than real time.
int runTransferCommand(const QStringList& args, CliStreams& io, Clock& clock);
