#include "server/pages/SiteRoutes.h"

#include "core/archive/Archive.h"
#include "core/archive/ArchiveChunks.h"
#include "core/archive/ArchiveCompliance.h"
#include "core/archive/ArchiveNightVerdicts.h"
#include "core/compliance/ComplianceNights.h"
#include "core/compliance/ComplianceReport.h"
#include "core/stats/PeriodStats.h"
#include "core/stats/StatsReport.h"
#include "server/api/ApiFormat.h"
#include "server/api/ComplianceRequest.h"
#include "server/pages/OverviewPage.h"
#include "server/pages/PagePeriod.h"
#include "server/pages/PagePlots.h"
#include "server/pages/PageRender.h"
#include "server/pages/PageTemplates.h"
#include "server/pages/VenuePage.h"

#include <QDate>
#include <algorithm>

namespace {
QString timeText(const QDateTime& time) {
    return time.isValid() ? time.toString(QStringLiteral("dd/MM/yyyy HH:mm")) : QStringLiteral("—");
}

HttpResponse styleSheet(const HttpRequest&, RouteContext&) {
    HttpResponse response;
    response.body = kStyleSheet;
    response.setHeader("Content-Type", "text/css; charset=utf-8");
    response.setHeader("Cache-Control", "public, max-age=3600");
    return response;
}

// The devices the user may see, or the failure page.
std::optional<std::vector<ArchivedDevice>> visibleDevices(RouteContext& context, HttpResponse& failure,
                                                          qint64 only = 0) {
    auto devices = context.archive->devices(only);
    if (!devices) {
        qWarning("vorl-server: %s", qUtf8Printable(devices.error()));
        failure =
            messagePage(500, QStringLiteral("Archive illisible"),
                        QStringLiteral("L'archive n'a pas pu être lue. Réessayez plus tard."), context.user);
        return std::nullopt;
    }
    std::vector<ArchivedDevice> visible;
    for (ArchivedDevice& device : *devices)
        if (context.scope->maySeeDevice(device.id)) visible.push_back(std::move(device));
    return visible;
}

std::optional<ArchivedDevice> deviceOfPath(RouteContext& context, HttpResponse& failure) {
    const qint64 id = context.pathArguments.value(0).toLongLong();
    const auto devices = visibleDevices(context, failure, id);
    if (!devices) return std::nullopt;
    for (const ArchivedDevice& device : *devices)
        if (device.id == id) return device;
    failure = messagePage(404, QStringLiteral("Introuvable"), QStringLiteral("Cette page n'existe pas."),
                          context.user);
    return std::nullopt;
}

PageData statsData(Archive& archive, qint64 deviceId, const QDate& from, const QDate& to) {
    PeriodStatsBuilder builder(from, to);
    bool any = false;
    const ArchiveStatus read =
        ForEachPeriodChunk(archive, deviceId, from, to.addDays(1),
                           [&](const DataStore& chunk, const QDate& first, const QDate& last) {
                               builder.add(chunk, first, last);
                               any = true;
                           });
    if (!read || !any) return PageData(false);
    PageData stats;
    stats.set("text", text(StatsTextLines(builder.finish()).join(QLatin1Char('\n'))));
    return stats;
}

HttpResponse devicePage(const HttpRequest& request, RouteContext& context) {
    HttpResponse failure;
    const auto device = deviceOfPath(context, failure);
    if (!device) return failure;
    Archive& archive = *context.archive;
    const QString self = QStringLiteral("/appareils/%1").arg(device->id);
    PageData body;
    body.set("serial", text(device->serial));
    body.set("generation", text(QString::number(device->generation)));
    // The venue the device is at today (or was last) among those the user may see; its own name else.
    QString venueName = device->venue;
    auto venues = archive.venues();
    auto stays = archive.venueDevices();
    if (venues && stays) {
        QDate latest;
        for (const VenueDevice& stay : *stays) {
            if (stay.deviceId != device->id || !context.scope->maySeeVenue(stay.venueId)) continue;
            const QDate end = stay.to.isValid() ? stay.to : siteToday();
            if (latest.isValid() && end < latest) continue;
            latest = end;
            for (const ArchivedVenue& venue : *venues)
                if (venue.id == stay.venueId) venueName = venue.name;
        }
    }
    if (!venueName.isEmpty()) body.set("venue", text(venueName));
    body.set("since", text(DaysSinceText(device->lastDownload, siteToday())));
    body.set("self", text(self));
    body.set("formats_label", std::string("Rapport de la période"));

    auto coverage = archive.coverage(device->id);
    if (!coverage) return archiveFailure(coverage.error());
    std::vector<JudgedNight> nights;
    if (!coverage->days.empty()) {
        auto judged =
            ArchivedNightVerdicts(archive, device->id, coverage->days.front().day, coverage->days.back().day);
        if (judged) nights = std::move(judged).value();
    }
    // A venue account sees the device's days at its venue only: the others are blank.
    for (DayStatus& day : coverage->days)
        if (!context.scope->maySeeDays(device->id, day.day, day.day))
            day = DayStatus{day.day, DayCover::None, {}};
    std::erase_if(nights,
                  [&](const JudgedNight& n) { return !context.scope->maySeeDays(device->id, n.day, n.day); });
    body.set("calendar", text(calendarSvg(BuildCalendar(*coverage, nights, siteToday()),
                                          self + QStringLiteral("/nuit?jour=%1"))));
    PageData legend = list();
    for (const Verdict v : {Verdict::Certain, Verdict::Possible, Verdict::Compliant, Verdict::Incomplete}) {
        PageData item;
        item.set("colour", cssColour(VerdictColour(v)));
        item.set("label", text(VerdictText(v)));
        legend.push_back(item);
    }
    body.set("legend", legend);

    const auto [from, to] = pagePeriod(request, device->lastDownload, context.scope->windowsOf(device->id));
    setPagePeriod(body, from, to);
    PageData nightRows = list();
    QString problem = pagePeriodProblem(from, to);
    if (problem.isEmpty() && !context.scope->maySeeDays(device->id, from, to))
        problem = QStringLiteral(
            "Ces nuits ne sont pas toutes des nuits de l'appareil dans votre lieu : choisissez "
            "des nuits où il y était.");
    if (problem.isEmpty()) {
        auto input = ComplianceInputFromArchive(archive, device->id, from, to);
        if (!input) return archiveFailure(input.error());
        ComplianceSettings settings =
            complianceSettings(ComplianceRequest{from, to, {}, {}}, input->weighting);
        settings.keepWindows = false;
        const ComplianceReport report = BuildComplianceReport(*input, settings, from, to);
        body.set("limit", text(report.limitLabel));
        nightRows = pageNightRows(report, [&](const QDate& day) {
            return self + QStringLiteral("/nuit?jour=") + day.toString(Qt::ISODate);
        });
        const PageData formats =
            reportFormats(QStringLiteral("/api/v1/devices/%1/compliance").arg(device->id), from, to);
        body.set("formats", formats);
        body.set("stats", statsData(archive, device->id, from, to));
    } else {
        body.set("problem", text(problem));
        body.set("stats", PageData(false));
    }
    body.set("nights", nightRows);

    auto downloads = archive.downloads(device->id);
    if (!downloads) return archiveFailure(downloads.error());
    PageData downloadRows = list();
    for (auto d = downloads->rbegin(); d != downloads->rend(); ++d) {
        const QDate first = d->coverFrom.isValid() ? d->coverFrom.date() : d->coverTo.date();
        if (!context.scope->mayMeetDays(device->id, first, d->coverTo.date())) continue;
        PageData row;
        row.set("id", text(QString::number(d->id)));
        row.set("transfer", text(d->transferDate + QLatin1Char(' ') + d->transferTime.left(5)));
        row.set("covers", text(timeText(d->coverFrom) + QStringLiteral(" → ") + timeText(d->coverTo)));
        row.set("counts", text(QString::number(d->counts.total())));
        row.set("sha256", text(d->originalSha256));
        row.set("href", text(QStringLiteral("/api/v1/downloads/%1/original").arg(d->id)));
        downloadRows.push_back(row);
    }
    body.set("downloads", downloadRows);
    return renderPage(QStringLiteral("Appareil %1").arg(device->serial), kDeviceTemplate, body, context.user);
}

// The report of one night, its windows kept for the plot.
std::optional<ComplianceReport> nightReport(Archive& archive, qint64 deviceId, const QDate& day,
                                            HttpResponse& failure) {
    if (!CompliancePeriodProblem(day, day).isEmpty()) {
        failure = notFound();
        return std::nullopt;
    }
    auto input = ComplianceInputFromArchive(archive, deviceId, day, day);
    if (!input) {
        failure = archiveFailure(input.error());
        return std::nullopt;
    }
    const ComplianceSettings settings =
        complianceSettings(ComplianceRequest{day, day, {}, {}}, input->weighting);
    return BuildComplianceReport(*input, settings, day, day);
}

HttpResponse nightPage(const HttpRequest& request, RouteContext& context) {
    HttpResponse failure;
    const auto device = deviceOfPath(context, failure);
    if (!device) return failure;
    const auto day = isoDayOf(request, "jour");
    if (!day)
        return messagePage(400, QStringLiteral("Nuit"), QStringLiteral("Donnez la nuit : jour=AAAA-MM-JJ."),
                           context.user);
    if (!context.scope->maySeeDays(device->id, *day, *day))
        return messagePage(404, QStringLiteral("Introuvable"), QStringLiteral("Cette page n'existe pas."),
                           context.user);
    const auto report = nightReport(*context.archive, device->id, *day, failure);
    if (!report) return failure;
    const QString self = QStringLiteral("/appareils/%1").arg(device->id);
    PageData body;
    body.set("device_link", text(self));
    body.set("serial", text(device->serial));
    body.set("limit", text(report->limitLabel));
    body.set("svg", text(self + QStringLiteral("/nuit.svg?jour=") + day->toString(Qt::ISODate)));
    body.set("previous", text(self + QStringLiteral("/nuit?jour=") + day->addDays(-1).toString(Qt::ISODate)));
    body.set("next", text(self + QStringLiteral("/nuit?jour=") + day->addDays(1).toString(Qt::ISODate)));
    if (!report->nights.empty()) {
        const NightReport& night = report->nights.front();
        const Verdict verdict = NightVerdictOf(report->scope, night.counts);
        body.set("verdict",
                 text(verdict == Verdict::None ? QStringLiteral("Sans verdict") : VerdictText(verdict)));
        body.set("upper", text(ComplianceUpperText(*report, night.highestUpper)));
        body.set("lower", text(ComplianceLowerText(*report, night.highestLower)));
        PageData episodes = list(), events = list();
        for (const ExceedanceEpisode& episode : night.episodes)
            episodes.push_back(text(ComplianceEpisodeText(*report, episode)));
        for (const ComplianceEvent& event : night.events)
            events.push_back(text(ComplianceEventText(event)));
        PageData e, v;
        e.set("items", episodes);
        v.set("items", events);
        body.set("episodes", night.episodes.empty() ? PageData(false) : e);
        body.set("events", night.events.empty() ? PageData(false) : v);
    }
    return renderPage(QStringLiteral("Nuit du %1").arg(pageDayText(*day)), kNightTemplate, body,
                      context.user);
}

HttpResponse nightSvg(const HttpRequest& request, RouteContext& context) {
    HttpResponse failure;
    const auto device = deviceOfPath(context, failure);
    if (!device) return failure;
    const auto day = isoDayOf(request, "jour");
    if (!day) return jsonError(400, QStringLiteral("bad_date"), QStringLiteral("jour s'écrit AAAA-MM-JJ."));
    if (!context.scope->maySeeDays(device->id, *day, *day)) return notFound();
    const auto report = nightReport(*context.archive, device->id, *day, failure);
    if (!report) return failure;
    if (report->nights.empty()) return notFound();
    HttpResponse response;
    response.body = nightBandSvg(*report, report->nights.front());
    response.setHeader("Content-Type", "image/svg+xml");
    return response;
}

HttpResponse reportsPage(const HttpRequest&, RouteContext& context) {
    HttpResponse failure;
    const auto devices = visibleDevices(context, failure);
    if (!devices) return failure;
    PageData body;
    PageData options = list();
    for (const ArchivedDevice& device : *devices) {
        PageData option;
        option.set("id", text(QString::number(device.id)));
        option.set("label",
                   text(device.venue.isEmpty() ? device.serial
                                               : device.venue + QStringLiteral(" — ") + device.serial));
        options.push_back(option);
    }
    body.set("devices", options);
    auto venues = context.archive->venues();
    if (!venues) return archiveFailure(venues.error());
    PageData venueOptions = list();
    bool anyVenue = false;
    for (const ArchivedVenue& venue : *venues) {
        if (!context.scope->maySeeVenue(venue.id)) continue;
        PageData option;
        option.set("id", text(QString::number(venue.id)));
        option.set("label", text(venue.name));
        venueOptions.push_back(option);
        anyVenue = true;
    }
    body.set("venues", venueOptions);
    body.set("has_venues", anyVenue);
    PageData presets = list();
    for (const CompliancePreset& preset : CompliancePresets()) {
        PageData item;
        item.set("key", text(preset.key));
        item.set("name", text(preset.name));
        presets.push_back(item);
    }
    body.set("presets", presets);
    body.set("from", text(siteToday().addDays(-kDefaultPeriodNights).toString(Qt::ISODate)));
    body.set("to", text(siteToday().addDays(-1).toString(Qt::ISODate)));
    return renderPage(QStringLiteral("Rapports"), kReportsTemplate, body, context.user);
}

// The report and export forms send the device as a field: the answer is the API's address of that report
// or export.
HttpResponse reportDownload(const HttpRequest& request, RouteContext& context) {
    QString device = request.query.queryItemValue(QStringLiteral("appareil"));
    const bool exporting = request.query.hasQueryItem(QStringLiteral("what"));
    // A venue's report: "lieu-ID" (its records are exported device by device).
    const bool venue = !exporting && device.startsWith(QLatin1String("lieu-"));
    if (venue) device = device.mid(5);
    if (RouteTable::match(QStringLiteral("{id}"), device) == std::nullopt)
        return messagePage(400, QStringLiteral("Rapports"),
                           QStringLiteral("Choisissez un lieu ou un appareil."), context.user);
    QUrlQuery query;
    for (const char* name : {"from", "to", "preset", "format", "what"})
        if (request.query.hasQueryItem(QString::fromLatin1(name)))
            query.addQueryItem(QString::fromLatin1(name),
                               request.query.queryItemValue(QString::fromLatin1(name), QUrl::FullyDecoded));
    return redirectTo(QStringLiteral("/api/v1/%1/%2/%3?%4")
                          .arg(venue ? QStringLiteral("venues") : QStringLiteral("devices"), device,
                               exporting ? QStringLiteral("export") : QStringLiteral("compliance"),
                               query.toString(QUrl::FullyEncoded))
                          .toUtf8());
}
} // namespace

void addSiteRoutes(RouteTable& routes) {
    routes.add("GET", QStringLiteral("/static/vorl.css"), RouteAccess::Public, styleSheet);
    routes.add("GET", QStringLiteral("/"), RouteAccess::Session, overviewPage);
    routes.add("GET", QStringLiteral("/lieux/{id}"), RouteAccess::Session, venuePage);
    routes.add("GET", QStringLiteral("/appareils/{id}"), RouteAccess::Session, devicePage);
    routes.add("GET", QStringLiteral("/appareils/{id}/nuit"), RouteAccess::Session, nightPage);
    routes.add("GET", QStringLiteral("/appareils/{id}/nuit.svg"), RouteAccess::Session, nightSvg);
    routes.add("GET", QStringLiteral("/rapports"), RouteAccess::Session, reportsPage);
    routes.add("GET", QStringLiteral("/rapports/telecharger"), RouteAccess::Session, reportDownload);
}
