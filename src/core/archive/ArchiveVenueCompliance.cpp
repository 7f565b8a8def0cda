#include "core/archive/ArchiveVenueCompliance.h"

#include "core/archive/ArchiveCompliance.h"
#include "core/archive/ArchiveComplianceSources.h"
#include "core/stats/ThresholdTimeline.h"

#include <algorithm>
#include <functional>
#include <map>
#include <set>
#include <utility>

namespace {
const QTime kNoon(12, 0);
constexpr int kMinute = 60;
constexpr int kBlockMinutes = 10;
// The analysis leaves the ten minutes after a calibration unknown.
constexpr int kCalibrationSeconds = kBlockMinutes * kMinute;

QDateTime noonOf(const QDate& day) {
    return DeviceTime(day, kNoon);
}

QString shown(const QDate& day) {
    return day.toString(QStringLiteral("dd/MM/yyyy"));
}

Weighting weightingAt(const ComplianceInput& input, const QDateTime& at) {
    Weighting weighting = input.weighting; // in force before the first change too
    for (const WeightingChange& change : input.weightingChanges) {
        if (change.from > at) break;
        weighting = change.weighting;
    }
    return weighting;
}

// The minute (modulo ten) every ten-minute level of these records ends on; none when they have none,
// or several.
std::optional<int> tenMinutePhase(std::vector<LevelRecord>::const_iterator begin,
                                  std::vector<LevelRecord>::const_iterator end) {
    std::optional<int> phase;
    for (auto it = begin; it != end; ++it) {
        if (!it->tenMinute) continue;
        const int minute = it->stamp.time().minute() % kBlockMinutes;
        if (phase && *phase != minute) return std::nullopt;
        phase = minute;
    }
    return phase;
}

bool closesOrMovesClock(EventKind kind) {
    return kind == EventKind::SystemStart || kind == EventKind::SensorFaultEnd ||
           kind == EventKind::ClockChange;
}

// The first moment from `start` on that the device's own log leaves known: a power cut or a sensor fault
// still open at `start` runs on to the start or the end that closes it, a calibration just before it
// to its ten minutes. The events before `start` are not kept (another device, or none, was at the venue
// then): what they leave unknown past it is left out of the coverage instead.
QDateTime knownFrom(const std::vector<ComplianceEvent>& events, const QDateTime& start,
                    const QDateTime& end) {
    std::optional<QDateTime> cut, fault;
    QDateTime known = start;
    for (const ComplianceEvent& event : events) {
        if (event.stamp >= start) break;
        switch (event.kind) {
        case EventKind::PowerCut:
            if (!cut) cut = event.stamp;
            break;
        case EventKind::SystemStart:
            cut.reset();
            break;
        case EventKind::SensorFault:
            if (!fault) fault = event.stamp;
            break;
        case EventKind::SensorFaultEnd:
            fault.reset();
            break;
        case EventKind::Calibration:
            known = std::max(known, event.stamp.addSecs(kCalibrationSeconds));
            break;
        default:
            break;
        }
    }
    const auto closedBy = [&](EventKind kind) {
        for (const ComplianceEvent& event : events)
            if (event.stamp >= start && event.stamp < end && event.kind == kind)
                return event.stamp.addSecs(kMinute);
        return end;
    };
    if (cut) known = std::max(known, closedBy(EventKind::SystemStart));
    if (fault) known = std::max(known, closedBy(EventKind::SensorFaultEnd));
    return std::min(known, end);
}

// The closing events of a power cut or a sensor fault the kept events leave open at `end`, stamped in
// its last minute: without them the state would run on over the next device's nights.
std::vector<ComplianceEvent> closingsAt(const std::vector<ComplianceEvent>& kept, const QDateTime& end) {
    bool cut = false, fault = false;
    for (const ComplianceEvent& event : kept) {
        if (event.kind == EventKind::PowerCut) cut = true;
        if (event.kind == EventKind::SystemStart) cut = false;
        if (event.kind == EventKind::SensorFault) fault = true;
        if (event.kind == EventKind::SensorFaultEnd) fault = false;
    }
    std::vector<ComplianceEvent> closings;
    const auto close = [&](EventKind kind) {
        ComplianceEvent event;
        event.stamp = end.addSecs(-kMinute);
        event.kind = kind;
        event.text = QStringLiteral("Fin des nuits de l'appareil au lieu");
        closings.push_back(event);
    };
    if (cut) close(EventKind::SystemStart);
    if (fault) close(EventKind::SensorFaultEnd);
    return closings;
}

// The set level of each stretch comes from its own device; outside every stretch it is not documented.
struct StretchSetLevel {
    QDateTime from, to; // [from, to); null: open
    std::function<std::optional<int>(const QDateTime&)> at;
};

// The device of each night from..to, joined into stretches; the refusal when a day had two devices.
ArchiveResult<std::vector<VenueStretch>> stretchesOf(Archive& archive, qint64 venueId, const QDate& from,
                                                     const QDate& to, QString& refusal) {
    using Result = ArchiveResult<std::vector<VenueStretch>>;
    const auto stays = archive.venueDevices();
    if (!stays) return Result::failure(stays.error());
    std::vector<VenueDevice> here;
    for (const VenueDevice& stay : *stays)
        if (stay.venueId == venueId && (!stay.to.isValid() || stay.to >= from) &&
            (!stay.from.isValid() || stay.from <= to))
            here.push_back(stay);
    std::vector<VenueStretch> stretches;
    if (here.empty()) return stretches;
    const auto devices = archive.devices();
    if (!devices) return Result::failure(devices.error());
    std::map<qint64, ArchivedDevice> known;
    for (const ArchivedDevice& device : *devices)
        known[device.id] = device;
    const auto serialOf = [&](qint64 id) {
        const auto it = known.find(id);
        return it != known.end() ? it->second.serial : QString::number(id);
    };

    for (QDate day = from; day <= to; day = day.addDays(1)) {
        std::set<qint64> there;
        for (const VenueDevice& stay : here)
            if (stay.covers(day)) there.insert(stay.deviceId);
        if (there.size() > 1) {
            QStringList serials;
            for (qint64 id : there)
                serials << serialOf(id);
            refusal = QStringLiteral("Le lieu avait plusieurs appareils le %1 (%2) : un rapport du lieu ne "
                                     "peut pas dire lequel le mesurait. Demandez le rapport de chaque "
                                     "appareil.")
                          .arg(shown(day), serials.join(QStringLiteral(", ")));
            return stretches;
        }
        if (there.empty()) continue;
        const qint64 id = *there.begin();
        if (!stretches.empty() && stretches.back().deviceId == id && stretches.back().last == day.addDays(-1))
            stretches.back().last = day;
        else
            stretches.push_back({id, serialOf(id), day, day});
    }

    std::set<int> generations;
    for (const VenueStretch& stretch : stretches)
        if (const auto it = known.find(stretch.deviceId); it != known.end())
            generations.insert(it->second.generation);
    if (generations.size() > 1) {
        QStringList which;
        for (const VenueStretch& stretch : stretches)
            if (const auto it = known.find(stretch.deviceId); it != known.end())
                which << QStringLiteral("%1 (génération %2)").arg(stretch.serial).arg(it->second.generation);
        which.removeDuplicates();
        refusal = QStringLiteral("Le lieu a eu sur ces nuits des appareils de générations différentes (%1) : "
                                 "leurs enregistrements ne prouvent pas les mêmes choses et ne se jugent pas "
                                 "dans un même rapport. Demandez le rapport de chaque appareil sur ses "
                                 "propres nuits.")
                      .arg(which.join(QStringLiteral(", ")));
    }
    return stretches;
}
} // namespace

ArchiveResult<VenueComplianceData> VenueComplianceFromArchive(Archive& archive, qint64 venueId,
                                                              const QDate& from, const QDate& to) {
    using Result = ArchiveResult<VenueComplianceData>;
    if (!from.isValid() || !to.isValid() || from > to)
        return Result::failure(QStringLiteral("Période invalide."));
    VenueComplianceData out;
    auto stretches = stretchesOf(archive, venueId, from, to, out.refusal);
    if (!stretches) return Result::failure(stretches.error());
    out.stretches = std::move(stretches).value();
    if (out.stretches.empty() || !out.refusal.isEmpty()) return out;

    std::vector<ComplianceInput> inputs;
    std::set<QString> sourceIds;
    for (const VenueStretch& stretch : out.stretches) {
        auto input = ComplianceInputFromArchive(archive, stretch.deviceId, stretch.first, stretch.last);
        if (!input) return Result::failure(input.error());
        inputs.push_back(std::move(input).value());
        auto sources = ArchivedReportSources(archive, stretch.deviceId, stretch.first, stretch.last);
        if (!sources) return Result::failure(sources.error());
        for (ReportSource& source : *sources)
            if (sourceIds.insert(source.id).second) out.sources.push_back(std::move(source));
    }
    // One device over the whole period: its own report.
    if (out.stretches.size() == 1 && out.stretches.front().first == from &&
        out.stretches.front().last == to) {
        out.input = std::move(inputs.front());
        return out;
    }

    ComplianceInput& joined = out.input;
    joined.generation = inputs.front().generation;
    // The latest device speaks for the venue, as the latest download speaks for a device.
    joined.weighting = inputs.back().weighting;
    std::vector<StretchSetLevel> setLevels;
    QStringList devices;
    std::optional<int> previousPhase;
    for (std::size_t i = 0; i < out.stretches.size(); ++i) {
        const VenueStretch& stretch = out.stretches[i];
        ComplianceInput& own = inputs[i];
        const QDateTime start = noonOf(stretch.first), end = noonOf(stretch.last.addDays(1));
        const bool first = i == 0, last = i + 1 == out.stretches.size();
        // The first device, there from the first night on, keeps what it holds before it (the level and
        // the state in force), as its own report does: no other device's minutes are there.
        const bool keepsBefore = first && stretch.first == from;
        const QDateTime knownStart = keepsBefore ? QDateTime() : knownFrom(own.events, start, end);

        const QString line =
            own.device.isEmpty() ? QStringLiteral("Numéro de Série : ") + stretch.serial : own.device;
        devices
            << QStringLiteral("%1 (nuits du %2 au %3)").arg(line, shown(stretch.first), shown(stretch.last));

        // A record counts where the minutes it covers lie within the device's nights. The first device
        // keeps its records before them: no other device's minutes are there, the coverage leaves them
        // unknown, and the data does not seem to start with its first night.
        const std::size_t firstRecord = joined.records.size();
        for (LevelRecord& record : own.records) {
            const QDateTime covers = record.stamp.addSecs(record.tenMinute ? -10 * kMinute : -kMinute);
            if ((first || covers >= start) && (last || record.stamp <= end))
                joined.records.push_back(std::move(record));
        }
        const auto phase =
            tenMinutePhase(joined.records.begin() + qsizetype(firstRecord), joined.records.end());
        // Its events before its nights are another place's, but the first device's own log goes on: of its
        // events on the nights before its first, those that end a cut, a fault or move the clock stay (what
        // the others leave unknown is left out of the coverage, and none is listed on a night without it).
        const QDateTime periodStart = noonOf(from);
        std::vector<ComplianceEvent> kept;
        for (ComplianceEvent& event : own.events) {
            const bool before = event.stamp < start;
            const bool keptBefore =
                keepsBefore || (first && (event.stamp < periodStart || closesOrMovesClock(event.kind)));
            if ((!before || keptBefore) && (last || event.stamp < end)) kept.push_back(std::move(event));
        }
        if (!last)
            for (ComplianceEvent& closing : closingsAt(kept, end))
                kept.push_back(std::move(closing));
        std::move(kept.begin(), kept.end(), std::back_inserter(joined.events));

        std::vector<CoverageInterval> covered;
        for (const CoverageInterval& span : own.coverage) {
            const QDateTime spanFrom = keepsBefore ? span.from : std::max(span.from, knownStart);
            const QDateTime spanTo = last ? span.to : std::min(span.to, end);
            if (spanFrom < spanTo) covered.push_back({spanFrom, spanTo});
        }
        // Both devices know the minute the second one arrives: unless both keep their ten-minute levels on
        // one grid that the change falls on, that minute is left unknown (see the header).
        const bool oneGrid = previousPhase && phase && *previousPhase == *phase &&
                             start.time().minute() % kBlockMinutes == *phase;
        if (!first && !oneGrid && !covered.empty() && !joined.coverage.empty() &&
            joined.coverage.back().to >= start && covered.front().from <= start) {
            covered.front().from = start.addSecs(kMinute);
            if (covered.front().from >= covered.front().to) covered.erase(covered.begin());
        }
        std::move(covered.begin(), covered.end(), std::back_inserter(joined.coverage));

        // The weighting each device starts with, then its own changes over its nights.
        if (first && own.weighting != joined.weighting)
            joined.weightingChanges.push_back(
                {DeviceTime(QDate(kComplianceFirstYear, 1, 1), QTime(0, 0)), own.weighting});
        if (!keepsBefore) joined.weightingChanges.push_back({start, weightingAt(own, start)});
        for (const WeightingChange& change : own.weightingChanges)
            if ((keepsBefore || change.from > start) && (last || change.from < end))
                joined.weightingChanges.push_back(change);

        setLevels.push_back(
            {first ? QDateTime() : start, last ? QDateTime() : end, std::move(own.setLevelAt)});
        // The data ends with the latest device's (its transfer time, already kept to its last night);
        // a transfer before its first night ends nothing of the devices before it.
        if (last && own.transferTime) joined.transferTime = std::max(*own.transferTime, start);
        previousPhase = phase;
    }
    joined.device = devices.join(QStringLiteral(" ; "));
    // No download covers any of the nights: every minute is unknown (an empty coverage would read as one
    // download running from the earliest record to the transfer).
    if (joined.coverage.empty()) joined.coverage.push_back({noonOf(from), noonOf(from)});
    if (std::any_of(setLevels.begin(), setLevels.end(),
                    [](const StretchSetLevel& s) { return bool(s.at); })) {
        joined.setLevelAt = [setLevels =
                                 std::move(setLevels)](const QDateTime& minute) -> std::optional<int> {
            auto it =
                std::upper_bound(setLevels.begin() + 1, setLevels.end(), minute,
                                 [](const QDateTime& m, const StretchSetLevel& s) { return m < s.from; });
            const StretchSetLevel& stretch = *std::prev(it);
            if (stretch.to.isValid() && minute >= stretch.to) return std::nullopt;
            return stretch.at ? stretch.at(minute) : std::nullopt;
        };
    }
    return out;
}
