#pragma once

#include "server/RouteTable.h"

// Signing in and out: the API's /api/v1/session and the site's login form.
void addSessionRoutes(RouteTable& routes);
