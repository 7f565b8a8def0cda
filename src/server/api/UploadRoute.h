#pragma once

#include "server/RouteTable.h"

// A venue PC sends a download with its device token.
void addUploadRoute(RouteTable& routes);

// The largest download the server takes (a save file is under 1 MiB).
constexpr qsizetype kMaxUploadBytes = 2 * 1024 * 1024;
