#pragma once

#include "server/HttpMessage.h"
#include "server/RouteContext.h"

// A venue: the devices it had and their days, the nights of a period each judged on the device there
// that night, and the period's report in each format.
HttpResponse venuePage(const HttpRequest& request, RouteContext& context);
