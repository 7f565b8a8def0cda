#include "server/api/ReadRoutes.h"

#include "core/archive/Archive.h"
#include "core/archive/ArchiveExport.h"
#include "core/archive/ArchiveServerTables.h"
#include "server/api/ApiFormat.h"
#include "server/api/ComplianceBytes.h"

#include <QJsonArray>

namespace {
qint64 idArgument(const RouteContext& context, int index = 0) {
    return context.pathArguments.value(index).toLongLong();
}

// Who fetched which original or report, for the audit trail; a trail that cannot be written is said in
// the journal and does not keep the file from its user.
void audit(RouteContext& context, const QString& action, const QString& target) {
    if (!context.user) return;
    if (const ArchiveStatus kept =
            ArchiveServerTables(*context.archive).audit(context.user->name, action, target, context.peer);
        !kept)
        qWarning("vorl-server: %s", qUtf8Printable(kept.error()));
}

// Whether a download's coverage meets one of the days the user may see of its device.
bool visibleDownload(const VisibleScope& scope, const ArchivedDownload& download) {
    const QDate first = download.coverFrom.isValid() ? download.coverFrom.date() : download.coverTo.date();
    return scope.mayMeetDays(download.deviceId, first, download.coverTo.date());
}

// The device of the path when the user may see it.
std::optional<ArchivedDevice> visibleDevice(RouteContext& context, qint64 id, HttpResponse& refusal) {
    if (!context.scope || !context.scope->maySeeDevice(id)) {
        refusal = notFound();
        return std::nullopt;
    }
    auto devices = context.archive->devices(id);
    if (!devices) {
        refusal = archiveFailure(devices.error());
        return std::nullopt;
    }
    for (const ArchivedDevice& device : *devices)
        if (device.id == id) return device;
    refusal = notFound();
    return std::nullopt;
}

HttpResponse listDevices(const HttpRequest&, RouteContext& context) {
    auto devices = context.archive->devices();
    if (!devices) return archiveFailure(devices.error());
    QJsonArray list;
    for (const ArchivedDevice& device : *devices)
        if (context.scope->maySeeDevice(device.id)) list.append(apiDevice(device));
    return jsonResponse(200, {{QStringLiteral("devices"), list}});
}

HttpResponse listDownloads(const HttpRequest&, RouteContext& context) {
    HttpResponse refusal;
    const auto device = visibleDevice(context, idArgument(context), refusal);
    if (!device) return refusal;
    auto downloads = context.archive->downloads(device->id);
    if (!downloads) return archiveFailure(downloads.error());
    QJsonArray list;
    for (const ArchivedDownload& d : *downloads) {
        if (!visibleDownload(*context.scope, d)) continue;
        list.append(QJsonObject{
            {QStringLiteral("id"), d.id},
            {QStringLiteral("source"),
             d.sourceKind == SourceKind::Transfer ? QStringLiteral("transfer") : QStringLiteral("file")},
            {QStringLiteral("transfer"),
             apiTime(QDateTime(QDate::fromString(d.transferDate, QStringLiteral("dd/MM/yyyy")),
                               QTime::fromString(d.transferTime.left(5), QStringLiteral("hh:mm"))))},
            {QStringLiteral("covers_from"), apiTime(d.coverFrom)},
            {QStringLiteral("covers_to"), apiTime(d.coverTo)},
            {QStringLiteral("counts"), apiCounts(d.counts)},
            {QStringLiteral("sha256"), d.originalSha256},
        });
    }
    return jsonResponse(200, {{QStringLiteral("downloads"), list}});
}

// The download of the path when the user may see its device and its days.
std::optional<ArchivedDownload> downloadOfPath(RouteContext& context, qint64 id, HttpResponse& refusal) {
    const auto device = context.archive->deviceOfDownload(id);
    if (!device) {
        refusal = archiveFailure(device.error());
        return std::nullopt;
    }
    if (*device > 0 && context.scope->maySeeDevice(*device)) {
        auto downloads = context.archive->downloads(*device);
        if (!downloads) {
            refusal = archiveFailure(downloads.error());
            return std::nullopt;
        }
        for (const ArchivedDownload& d : *downloads)
            if (d.id == id && visibleDownload(*context.scope, d)) return d;
    }
    refusal = notFound();
    return std::nullopt;
}

HttpResponse original(const HttpRequest& request, RouteContext& context) {
    HttpResponse refusal;
    const auto download = downloadOfPath(context, idArgument(context), refusal);
    if (!download) return refusal;
    const QByteArray etag = '"' + download->originalSha256.toLatin1() + '"';
    if (!download->originalSha256.isEmpty() && httpHeader(request.headers, "If-None-Match") == etag) {
        HttpResponse unchanged;
        unchanged.status = 304;
        unchanged.setHeader("ETag", etag);
        return unchanged;
    }
    auto bytes = context.archive->originalBytes(download->id);
    if (!bytes) return archiveFailure(bytes.error());
    audit(context, QStringLiteral("original"), QStringLiteral("téléchargement %1").arg(download->id));
    HttpResponse response = attachment(*bytes, "application/octet-stream",
                                       QStringLiteral("telechargement-%1.qlv").arg(download->id));
    if (!download->originalSha256.isEmpty()) response.setHeader("ETag", etag);
    return response;
}

HttpResponse deviceCompliance(const HttpRequest& request, RouteContext& context) {
    HttpResponse refusal;
    const auto device = visibleDevice(context, idArgument(context), refusal);
    if (!device) return refusal;
    const auto asked = parseComplianceRequest(request.query, refusal);
    if (!asked) return refusal;
    if (!context.scope->maySeeDays(device->id, asked->from, asked->to)) return notFound();
    auto bytes = complianceReportBytes(*context.archive, device->id, device->serial, *asked);
    if (!bytes) return archiveFailure(bytes.error());
    audit(context, QStringLiteral("rapport"), bytes->fileName);
    HttpResponse response = attachment(bytes->body, bytes->contentType, bytes->fileName);
    if (asked->format != QLatin1String("pdf"))
        response.setHeader("Content-Disposition", "inline; filename=\"" + bytes->fileName.toLatin1() + '"');
    return response;
}
// The levels, events or parameters of a period: the bytes `vorl-cli export --device ID` writes.
HttpResponse deviceExport(const HttpRequest& request, RouteContext& context) {
    HttpResponse refusal;
    const auto device = visibleDevice(context, idArgument(context), refusal);
    if (!device) return refusal;
    static const QMap<QString, ExportWhat> whats = {{QStringLiteral("levels"), ExportWhat::Levels},
                                                    {QStringLiteral("events"), ExportWhat::Events},
                                                    {QStringLiteral("params"), ExportWhat::Parameters}};
    const QString what = request.query.queryItemValue(QStringLiteral("what"));
    const QString format = request.query.queryItemValue(QStringLiteral("format"));
    if (!whats.contains(what))
        return jsonError(400, QStringLiteral("bad_what"),
                         QStringLiteral("what vaut levels, events ou params."));
    if (format != QLatin1String("csv") && format != QLatin1String("json"))
        return jsonError(400, QStringLiteral("bad_format"), QStringLiteral("Le format est csv ou json."));
    QUrlQuery period;
    period.addQueryItem(QStringLiteral("from"), request.query.queryItemValue(QStringLiteral("from")));
    period.addQueryItem(QStringLiteral("to"), request.query.queryItemValue(QStringLiteral("to")));
    const auto asked = parseComplianceRequest(period, refusal);
    if (!asked) return refusal;
    if (!context.scope->maySeeDays(device->id, asked->from, asked->to)) return notFound();
    auto table = ArchivedExport(*context.archive, device->id, whats.value(what), asked->from, asked->to);
    if (!table) return archiveFailure(table.error());
    audit(context, QStringLiteral("export"),
          QStringLiteral("appareil %1 %2 du %3 au %4")
              .arg(device->id)
              .arg(what, asked->from.toString(Qt::ISODate), asked->to.toString(Qt::ISODate)));
    const bool csv = format == QLatin1String("csv");
    return attachment(csv ? ToCsv(*table) : ToJson(*table).toJson(),
                      csv ? "text/csv; charset=utf-8" : "application/json; charset=utf-8",
                      QStringLiteral("%1-%2-%3-%4.%5")
                          .arg(device->serial, ExportFileSuffix(whats.value(what)),
                               asked->from.toString(Qt::ISODate), asked->to.toString(Qt::ISODate), format));
}
} // namespace

void addReadRoutes(RouteTable& routes) {
    routes.add("GET", QStringLiteral("/api/v1/devices/{id}/export"), RouteAccess::Session, deviceExport);
    routes.add("GET", QStringLiteral("/api/v1/devices"), RouteAccess::Session, listDevices);
    routes.add("GET", QStringLiteral("/api/v1/devices/{id}/downloads"), RouteAccess::Session, listDownloads);
    routes.add("GET", QStringLiteral("/api/v1/downloads/{id}/original"), RouteAccess::Session, original);
    routes.add("GET", QStringLiteral("/api/v1/devices/{id}/compliance"), RouteAccess::Session,
               deviceCompliance);
}
