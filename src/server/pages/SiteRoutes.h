#pragma once

#include "server/RouteTable.h"

// The site's pages: the overview, a device and its nights, the reports, the login page and the style sheet.
void addSiteRoutes(RouteTable& routes);
