#pragma once

#include "core/compliance/ComplianceNights.h"
#include "server/HttpMessage.h"
#include "server/RouteContext.h"

// The overview: each venue the user may see (and, for those who see everything, each device at no
// venue), its last download and that download's age, the verdicts of its last 30 nights and how many
// went over; the most urgent first.
HttpResponse overviewPage(const HttpRequest& request, RouteContext& context);

// The overview's nights of a device as of today, judged and kept in the archive (a download just
// received): the next overview reads them back instead of judging them.
ArchiveResult<std::vector<JudgedNight>> overviewNights(Archive& archive, qint64 deviceId, const QDate& today);
