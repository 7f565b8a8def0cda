#include "server/pages/OverviewPage.h"

#include "core/archive/Archive.h"
#include "core/archive/ArchiveCalendar.h"
#include "core/archive/ArchiveNightVerdicts.h"
#include "server/pages/PagePlots.h"
#include "server/pages/PageRender.h"
#include "server/pages/PageTemplates.h"

#include <QDate>
#include <QHash>
#include <QMutex>
#include <algorithm>
#include <map>

namespace {
constexpr int kOverviewNights = 30;
constexpr int kLateAfterDays = 6, kOverdueAfterDays = 10;

QString timeText(const QDateTime& time) {
    return time.isValid() ? time.toString(QStringLiteral("dd/MM/yyyy HH:mm")) : QStringLiteral("—");
}

// One line of the overview: a venue over the devices it had, or a device at no venue.
struct Subject {
    QString name;
    QString link; // the venue's page, or the page of a device at no venue
    QStringList serials;
    QDateTime lastDownload;
    std::vector<JudgedNight> nights; // the last nights, each judged on the device there that night
};

struct Row {
    PageData data;
    int ageDays = -1;              // -1: never downloaded
    int certain = 0, possible = 0; // episodes over the limit in the last nights
    QString name;
};

class OverviewBuilder {
public:
    OverviewBuilder(RouteContext& context, QDate today) : m_context(context), m_today(today) {}

    // The lines, or the reason the archive could not be read.
    ArchiveResult<std::vector<Subject>> subjects() {
        using Result = ArchiveResult<std::vector<Subject>>;
        Archive& archive = *m_context.archive;
        auto devices = archive.devices();
        auto venues =
            devices ? archive.venues() : ArchiveResult<std::vector<ArchivedVenue>>::failure(devices.error());
        auto stays = venues ? archive.venueDevices()
                            : ArchiveResult<std::vector<VenueDevice>>::failure(venues.error());
        if (!stays) return Result::failure(stays.error());
        for (const ArchivedDevice& device : *devices)
            if (m_context.scope->maySeeDevice(device.id)) m_devices.emplace(device.id, device);
        std::vector<Subject> lines;
        QSet<qint64> placed;
        for (const ArchivedVenue& venue : *venues) {
            if (!m_context.scope->maySeeVenue(venue.id)) continue;
            Subject line;
            line.name = venue.name;
            std::vector<VenueDevice> here;
            for (const VenueDevice& stay : *stays)
                if (stay.venueId == venue.id && m_devices.count(stay.deviceId)) here.push_back(stay);
            for (const VenueDevice& stay : here) {
                placed.insert(stay.deviceId);
                const ArchivedDevice& device = m_devices.at(stay.deviceId);
                line.serials << device.serial;
                const auto last = lastDownloadWithin(stay);
                if (!last) return Result::failure(last.error());
                if (last->isValid() && (!line.lastDownload.isValid() || *last > line.lastDownload))
                    line.lastDownload = *last;
            }
            for (int back = kOverviewNights; back >= 1; --back) {
                const QDate night = m_today.addDays(-back);
                const auto stay = std::find_if(here.begin(), here.end(),
                                               [&](const VenueDevice& s) { return s.covers(night); });
                if (stay == here.end()) {
                    line.nights.push_back(JudgedNight{night, std::nullopt, Verdict::None});
                    continue;
                }
                const auto judged = verdictsOf(stay->deviceId);
                if (!judged) return Result::failure(judged.error());
                const auto found = std::find_if(judged->begin(), judged->end(),
                                                [&](const JudgedNight& n) { return n.day == night; });
                line.nights.push_back(
                    found != judged->end() ? *found : JudgedNight{night, std::nullopt, Verdict::None});
            }
            line.link = QStringLiteral("/lieux/%1").arg(venue.id);
            if (!here.empty()) lines.push_back(std::move(line));
        }
        // Devices at no venue: only those who see everything see them.
        if (m_context.scope->everything)
            for (const auto& [id, device] : m_devices) {
                if (placed.contains(id)) continue;
                Subject line;
                line.name =
                    device.venue.isEmpty() ? QStringLiteral("Appareil %1").arg(device.serial) : device.venue;
                line.link = QStringLiteral("/appareils/%1").arg(id);
                line.serials << device.serial;
                line.lastDownload = device.lastDownload;
                const auto judged = verdictsOf(id);
                if (!judged) return Result::failure(judged.error());
                line.nights = *judged;
                lines.push_back(std::move(line));
            }
        return lines;
    }

private:
    // The end of the latest download of the device that covers a day of the stay.
    ArchiveResult<QDateTime> lastDownloadWithin(const VenueDevice& stay) {
        const ArchivedDevice& device = m_devices.at(stay.deviceId);
        if (!stay.to.isValid()) return device.lastDownload;
        auto downloads = m_context.archive->downloads(stay.deviceId);
        if (!downloads) return ArchiveResult<QDateTime>::failure(downloads.error());
        QDateTime last;
        for (const ArchivedDownload& d : *downloads) {
            const QDate first = d.coverFrom.isValid() ? d.coverFrom.date() : d.coverTo.date();
            if ((!stay.from.isValid() || d.coverTo.date() >= stay.from) && first <= stay.to &&
                d.coverTo > last)
                last = d.coverTo;
        }
        return last;
    }

    ArchiveResult<std::vector<JudgedNight>> verdictsOf(qint64 deviceId) {
        if (const auto kept = m_verdicts.find(deviceId); kept != m_verdicts.end()) return kept->second;
        // Downloads are only ever added: a device whose count and last download are those of the
        // verdicts this process read before has the same nights. Every other process sees its own.
        const ArchivedDevice& device = m_devices.at(deviceId);
        const QString key = QStringLiteral("%1 %2 %3 %4")
                                .arg(deviceId)
                                .arg(device.downloads)
                                .arg(device.lastDownload.toMSecsSinceEpoch())
                                .arg(m_today.toJulianDay());
        {
            const QMutexLocker lock(&s_recentMutex);
            if (const auto recent = s_recent.constFind(key); recent != s_recent.constEnd()) {
                m_verdicts.emplace(deviceId, *recent);
                return *recent;
            }
        }
        auto judged = overviewNights(*m_context.archive, deviceId, m_today);
        if (!judged) return judged;
        m_verdicts.emplace(deviceId, *judged);
        const QMutexLocker lock(&s_recentMutex);
        if (s_recent.size() >= kMostRecent) s_recent.clear();
        s_recent.insert(key, *judged);
        return judged;
    }

    static constexpr qsizetype kMostRecent = 10000; // devices' last nights kept by this process
    static inline QMutex s_recentMutex;
    static inline QHash<QString, std::vector<JudgedNight>> s_recent;

    RouteContext& m_context;
    QDate m_today;
    std::map<qint64, ArchivedDevice> m_devices;
    std::map<qint64, std::vector<JudgedNight>> m_verdicts;
};
} // namespace

ArchiveResult<std::vector<JudgedNight>> overviewNights(Archive& archive, qint64 deviceId,
                                                       const QDate& today) {
    return ArchivedNightVerdicts(archive, deviceId, today.addDays(-kOverviewNights), today.addDays(-1));
}

HttpResponse overviewPage(const HttpRequest&, RouteContext& context) {
    const QDate today = QDate::currentDate();
    auto subjects = OverviewBuilder(context, today).subjects();
    if (!subjects) {
        qWarning("vorl-server: %s", qUtf8Printable(subjects.error()));
        return messagePage(500, QStringLiteral("Archive illisible"),
                           QStringLiteral("L'archive n'a pas pu être lue. Réessayez plus tard."),
                           context.user);
    }
    std::vector<Row> rows;
    for (const Subject& subject : *subjects) {
        Row row;
        row.name = subject.name;
        row.ageDays = DaysSinceDownload(subject.lastDownload, today).value_or(-1);
        for (const JudgedNight& night : subject.nights) {
            row.certain += night.certainEpisodes;
            row.possible += night.possibleEpisodes;
        }
        row.data.set("name", text(subject.name));
        row.data.set("link", text(subject.link));
        row.data.set("devices",
                     text(QStringLiteral("Appareil %1").arg(subject.serials.join(QStringLiteral(", ")))));
        row.data.set("last", text(timeText(subject.lastDownload)));
        row.data.set("age", text(DaysSinceText(subject.lastDownload, today)));
        row.data.set("age_class", std::string(row.ageDays < 0 || row.ageDays > kOverdueAfterDays ? "overdue"
                                              : row.ageDays > kLateAfterDays                     ? "late"
                                                                                                 : ""));
        row.data.set("strip", text(nightStripSvg(subject.nights)));
        row.data.set(
            "exceeded",
            text(row.possible
                     ? QStringLiteral("%1 certain(s), %2 possible(s)").arg(row.certain).arg(row.possible)
                     : QStringLiteral("%1").arg(row.certain)));
        rows.push_back(std::move(row));
    }
    // The most urgent first: a download overdue, then late, then the most episodes over the limit.
    const auto urgency = [](const Row& r) {
        const int age = r.ageDays < 0 ? 1000000 : r.ageDays;
        return std::make_tuple(age > kOverdueAfterDays, age > kLateAfterDays, r.certain, r.possible);
    };
    std::stable_sort(rows.begin(), rows.end(), [&](const Row& a, const Row& b) {
        if (urgency(a) != urgency(b)) return urgency(a) > urgency(b);
        return QString::localeAwareCompare(a.name, b.name) < 0;
    });
    PageData body;
    PageData lines = list();
    for (const Row& row : rows)
        lines.push_back(row.data);
    body.set("rows", lines);
    body.set("empty", rows.empty());
    return renderPage(QStringLiteral("Vue d'ensemble"), kOverviewTemplate, body, context.user);
}
