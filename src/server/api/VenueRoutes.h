#pragma once

#include "server/RouteTable.h"

// Venues the user may see and a venue's compliance report.
void addVenueRoutes(RouteTable& routes);
