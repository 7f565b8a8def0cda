#include "server/pages/VenuePage.h"

#include "core/archive/Archive.h"
#include "core/archive/ArchiveVenueCompliance.h"
#include "server/api/ApiFormat.h"
#include "server/api/ComplianceRequest.h"
#include "server/pages/PagePeriod.h"
#include "server/pages/PageTemplates.h"

#include <algorithm>
#include <optional>

namespace {
QString stayDay(const QDate& day) {
    return day.isValid() ? pageDayText(day) : QStringLiteral("…");
}
} // namespace

HttpResponse venuePage(const HttpRequest& request, RouteContext& context) {
    const qint64 venueId = context.pathArguments.value(0).toLongLong();
    const auto missing = [&] {
        return messagePage(404, QStringLiteral("Introuvable"), QStringLiteral("Cette page n'existe pas."),
                           context.user);
    };
    if (!context.scope->maySeeVenue(venueId)) return missing();
    Archive& archive = *context.archive;
    auto venues = archive.venues();
    if (!venues) return archiveFailure(venues.error());
    const auto venue = std::find_if(venues->begin(), venues->end(),
                                    [venueId](const ArchivedVenue& v) { return v.id == venueId; });
    if (venue == venues->end()) return missing();
    auto stays = archive.venueDevices();
    auto devices =
        stays ? archive.devices() : ArchiveResult<std::vector<ArchivedDevice>>::failure(stays.error());
    if (!devices) return archiveFailure(devices.error());

    const QString self = QStringLiteral("/lieux/%1").arg(venueId);
    PageData body;
    body.set("self", text(self));
    body.set("with_device", true);
    body.set("formats_label", std::string("Rapport du lieu sur la période"));
    body.set("nights_note",
             std::string("Chaque nuit est jugée sur l'appareil que le lieu avait ce jour-là ; une "
                         "nuit sans appareil n'est pas enregistrée."));
    PageData deviceRows = list();
    QDateTime lastDownload;
    std::vector<DeviceWindow> windows;
    for (const VenueDevice& stay : *stays) {
        if (stay.venueId != venueId) continue;
        const auto device = std::find_if(devices->begin(), devices->end(),
                                         [&](const ArchivedDevice& d) { return d.id == stay.deviceId; });
        if (device == devices->end()) continue;
        windows.push_back({venueId, device->id, stay.from, stay.to});
        if (device->lastDownload > lastDownload) lastDownload = device->lastDownload;
        PageData row;
        row.set("serial", text(device->serial));
        row.set("link", text(QStringLiteral("/appareils/%1").arg(device->id)));
        row.set("from", text(stayDay(stay.from)));
        row.set("to", text(stayDay(stay.to)));
        deviceRows.push_back(row);
    }
    body.set("devices", deviceRows);
    body.set("no_device", windows.empty());

    const auto [from, to] = pagePeriod(request, lastDownload, windows);
    setPagePeriod(body, from, to);
    PageData nightRows = list();
    QString problem = pagePeriodProblem(from, to);
    std::optional<VenueComplianceData> data;
    if (problem.isEmpty()) {
        auto read = VenueComplianceFromArchive(archive, venueId, from, to);
        if (!read) return archiveFailure(read.error());
        if (read->stretches.empty())
            problem = QStringLiteral("Le lieu n'avait aucun appareil sur ces nuits.");
        else if (!read->refusal.isEmpty())
            problem = read->refusal;
        else
            data = std::move(read).value();
    }
    if (data) {
        ComplianceSettings settings =
            complianceSettings(ComplianceRequest{from, to, {}, {}}, data->input.weighting);
        settings.keepWindows = false;
        const ComplianceReport report = BuildComplianceReport(data->input, settings, from, to);
        body.set("limit", text(report.limitLabel));
        const auto stretchOf = [&](const QDate& day) -> const VenueStretch* {
            for (const VenueStretch& stretch : data->stretches)
                if (day >= stretch.first && day <= stretch.last) return &stretch;
            return nullptr;
        };
        nightRows = pageNightRows(
            report,
            [&](const QDate& day) {
                const VenueStretch* stretch = stretchOf(day);
                return stretch ? QStringLiteral("/appareils/%1/nuit?jour=%2")
                                     .arg(stretch->deviceId)
                                     .arg(day.toString(Qt::ISODate))
                               : self;
            },
            [&](const QDate& day) {
                const VenueStretch* stretch = stretchOf(day);
                return stretch ? stretch->serial : QStringLiteral("—");
            });
        body.set("formats",
                 reportFormats(QStringLiteral("/api/v1/venues/%1/compliance").arg(venueId), from, to));
    } else {
        body.set("problem", text(problem));
    }
    body.set("nights", nightRows);
    return renderPage(QStringLiteral("Lieu %1").arg(venue->name), kVenueTemplate, body, context.user);
}
