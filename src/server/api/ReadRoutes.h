#pragma once

#include "server/RouteTable.h"

// The API's reading routes (signed-in users): devices, their downloads and originals, compliance reports.
void addReadRoutes(RouteTable& routes);
