#pragma once

#include "server/RouteTable.h"

// Every route of the server.
RouteTable serverRoutes();
