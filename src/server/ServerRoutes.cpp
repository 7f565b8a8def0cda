#include "server/ServerRoutes.h"

#include "core/archive/ArchiveDatabase.h"
#include "server/api/ReadRoutes.h"
#include "server/api/SessionRoutes.h"
#include "server/api/UploadRoute.h"
#include "server/api/VenueRoutes.h"
#include "server/pages/SiteRoutes.h"

namespace {
// Whether the server runs and what it speaks; nothing about where its archive lies.
HttpResponse health(const HttpRequest&, RouteContext&) {
    return jsonResponse(200, QJsonObject{{QStringLiteral("status"), QStringLiteral("ok")},
                                         {QStringLiteral("version"), QStringLiteral(VORL_VERSION)},
                                         {QStringLiteral("schema"), ArchiveDatabase::kSchemaVersion.text()}});
}
} // namespace

RouteTable serverRoutes() {
    RouteTable table;
    table.add("GET", QStringLiteral("/api/v1/health"), RouteAccess::Public, health);
    addSessionRoutes(table);
    addReadRoutes(table);
    addVenueRoutes(table);
    addUploadRoute(table);
    addSiteRoutes(table);
    return table;
}
