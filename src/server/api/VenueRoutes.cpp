#include "server/api/VenueRoutes.h"

#include "core/archive/Archive.h"
#include "core/archive/ArchiveServerTables.h"
#include "server/api/ApiFormat.h"
#include "server/api/ComplianceBytes.h"

#include <QJsonArray>

namespace {
QJsonValue apiDay(const QDate& day) {
    return day.isValid() ? QJsonValue(day.toString(Qt::ISODate)) : QJsonValue();
}

HttpResponse listVenues(const HttpRequest&, RouteContext& context) {
    auto venues = context.archive->venues();
    if (!venues) return archiveFailure(venues.error());
    auto stays = context.archive->venueDevices();
    if (!stays) return archiveFailure(stays.error());
    QJsonArray list;
    for (const ArchivedVenue& venue : *venues) {
        if (!context.scope->maySeeVenue(venue.id)) continue;
        QJsonArray devices;
        for (const VenueDevice& stay : *stays)
            if (stay.venueId == venue.id)
                devices.append(QJsonObject{{QStringLiteral("device"), stay.deviceId},
                                           {QStringLiteral("from"), apiDay(stay.from)},
                                           {QStringLiteral("to"), apiDay(stay.to)}});
        list.append(QJsonObject{{QStringLiteral("id"), venue.id},
                                {QStringLiteral("name"), venue.name},
                                {QStringLiteral("devices"), devices}});
    }
    return jsonResponse(200, {{QStringLiteral("venues"), list}});
}

// The report of a venue: each night judged on the device it had that day, the nights it had none
// unknown. A period on which it had no device at all has no report.
HttpResponse venueCompliance(const HttpRequest& request, RouteContext& context) {
    const qint64 venueId = context.pathArguments.value(0).toLongLong();
    if (!context.scope->maySeeVenue(venueId)) return notFound();
    auto venues = context.archive->venues();
    if (!venues) return archiveFailure(venues.error());
    if (std::none_of(venues->begin(), venues->end(),
                     [venueId](const ArchivedVenue& v) { return v.id == venueId; }))
        return notFound();
    HttpResponse refusal;
    const auto asked = parseComplianceRequest(request.query, refusal);
    if (!asked) return refusal;
    auto answer = venueComplianceReportBytes(*context.archive, venueId, *asked);
    if (!answer) return archiveFailure(answer.error());
    if (answer->noDevice) return notFound();
    if (!answer->refusal.isEmpty()) return jsonError(400, QStringLiteral("bad_period"), answer->refusal);
    const ComplianceBytes* const bytes = &answer->bytes;
    (void)ArchiveServerTables(*context.archive)
        .audit(context.user->name, QStringLiteral("rapport"), bytes->fileName, context.peer);
    HttpResponse response = attachment(bytes->body, bytes->contentType, bytes->fileName);
    if (asked->format != QLatin1String("pdf"))
        response.setHeader("Content-Disposition", "inline; filename=\"" + bytes->fileName.toLatin1() + '"');
    return response;
}
} // namespace

void addVenueRoutes(RouteTable& routes) {
    routes.add("GET", QStringLiteral("/api/v1/venues"), RouteAccess::Session, listVenues);
    routes.add("GET", QStringLiteral("/api/v1/venues/{id}/compliance"), RouteAccess::Session,
               venueCompliance);
}
