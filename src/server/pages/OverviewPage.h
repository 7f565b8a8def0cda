#pragma once

#include "server/HttpMessage.h"
#include "server/RouteContext.h"

// The overview: each venue the user may see (and, for those who see everything, each device at no
// venue), its last download and that download's age, the verdicts of its last 30 nights and how many
// went over; the most urgent first.
HttpResponse overviewPage(const HttpRequest& request, RouteContext& context);
