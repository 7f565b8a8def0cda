#pragma once

#include "cli/CliApp.h"

// vorl-cli generate --fleet N --out DIR: N venues, each its own device (distinct serials) and its
// weekly downloads, for trying the server on many venues.
int runGenerateFleet(const QStringList& args, CliStreams& io);
