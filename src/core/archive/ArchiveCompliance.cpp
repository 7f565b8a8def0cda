#include "core/archive/ArchiveCompliance.h"

#include "core/stats/ThresholdTimeline.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace {
// Days read at once: a week fits the store's tables; a busier week is read in shorter pieces.
constexpr int kDaysPerPiece = 7;

QDateTime dayStart(const QDate& day) {
    return DeviceTime(day, QTime(0, 0));
}

// The set level of each piece comes from that piece's own parameter history (each piece carries the
// parameter row and window state in force at its start).
struct PieceSetLevel {
    QDateTime from;
    std::function<std::optional<int>(const QDateTime&)> at;
};
} // namespace

ArchiveResult<ComplianceInput> ComplianceInputFromArchive(Archive& archive, qint64 deviceId,
                                                          const QDate& from, const QDate& to) {
    auto fail = [](const QString& why) { return ArchiveResult<ComplianceInput>::failure(why); };
    if (!from.isValid() || !to.isValid() || from > to) return fail(QStringLiteral("Période invalide."));
    // One state of the archive for every piece and the coverage: an import meanwhile cannot make the
    // coverage claim minutes whose records were not read.
    const Archive::Snapshot snapshot(archive);
    if (!snapshot.status()) return fail(snapshot.status().error());
    // The last night ends at noon of the day after `to`: a loaded period of the same days ends there
    // too (records and transfer time), so both give the same report.
    const QDateTime loadedEnd = DeviceTime(to.addDays(1), QTime(12, 0));

    ComplianceInput input;
    std::vector<PieceSetLevel> setLevels;
    std::optional<QDateTime> transferTime;
    bool first = true;
    for (QDate pieceFirst = from; pieceFirst <= to;) {
        const auto fits = archive.longestLoadable(deviceId, pieceFirst,
                                                  std::min(to, pieceFirst.addDays(kDaysPerPiece - 1)));
        if (!fits) return fail(fits.error());
        const QDate pieceLast = std::max(pieceFirst, *fits);
        auto period = archive.loadPeriod(deviceId, pieceFirst, pieceLast);
        if (!period) return fail(period.error());

        ComplianceInput piece = ComplianceInputFromDevice(period->data, period->generation);
        // The first piece also brings the records the archive holds just before the period (the level
        // before it, the window state in force): the data did not start with the period, as a save file
        // holding the same records would show. Later pieces' context is the piece before. A piece also
        // holds the morning after its last day, which the next piece gives again; the last piece gives it.
        const bool firstPiece = first;
        const QDateTime pieceFrom = dayStart(pieceFirst);
        const QDateTime pieceTo = pieceLast < to ? dayStart(pieceLast.addDays(1)) : loadedEnd.addSecs(60);
        const auto inPiece = [&](const QDateTime& stamp) {
            return (firstPiece || stamp >= pieceFrom) && stamp < pieceTo;
        };
        if (first) {
            input.generation = piece.generation;
            first = false;
        }
        // The latest piece with records speaks for the device: its parameters are those of the latest
        // download holding them (a piece past the last download may carry no parameters at all).
        if (!piece.records.empty() || input.device.isEmpty()) {
            input.weighting = piece.weighting;
            input.device = piece.device;
        }
        for (LevelRecord& record : piece.records)
            if (inPiece(record.stamp)) input.records.push_back(std::move(record));
        // The piece also carries the window state in force before it: the piece before holds that event.
        for (ComplianceEvent& event : piece.events)
            if (inPiece(event.stamp)) input.events.push_back(std::move(event));
        if (piece.setLevelAt) setLevels.push_back({pieceFrom, std::move(piece.setLevelAt)});
        // Each piece's history gives the weighting in force over it, the earlier pieces' stretches too.
        for (const WeightingChange& change : piece.weightingChanges)
            if (change.from < pieceTo &&
                (input.weightingChanges.empty() || change.from > input.weightingChanges.back().from))
                input.weightingChanges.push_back(change);
        if (piece.transferTime) transferTime = piece.transferTime;
        pieceFirst = pieceLast.addDays(1);
    }

    if (!setLevels.empty()) {
        input.setLevelAt = [setLevels = std::move(setLevels)](const QDateTime& minute) -> std::optional<int> {
            auto it = std::upper_bound(setLevels.begin(), setLevels.end(), minute,
                                       [](const QDateTime& m, const PieceSetLevel& p) { return m < p.from; });
            return (it == setLevels.begin() ? *it : *std::prev(it)).at(minute);
        };
    }
    // Minutes after the loaded days are not read: the data ends with them at the latest. Without a
    // transfer time (generation 3) the data ends at its latest record, as for a save file.
    if (transferTime) input.transferTime = std::min(*transferTime, loadedEnd);

    const auto coverage = archive.coverage(deviceId, from, to.addDays(1));
    if (!coverage) return fail(coverage.error());
    // A download's coverage starts at the stamp of its earliest level record, but that record covers
    // the minute (or ten minutes) before its stamp: those minutes are known too. It ends with the minute
    // of its transfer (or of its latest record), which the device had not finished: known up to that
    // minute, as the data of a save file ends at its transfer time. Were that minute known, a ten-minute
    // block the transfer cut short would pass for one closed without a level over 70 dB.
    for (const TimeSpan& span : coverage->covered) {
        QDateTime start = span.from;
        auto it = std::lower_bound(input.records.begin(), input.records.end(), span.from,
                                   [](const LevelRecord& r, const QDateTime& t) { return r.stamp < t; });
        for (; it != input.records.end() && it->stamp == span.from; ++it)
            start = std::min(start, span.from.addSecs(it->tenMinute ? -600 : -60));
        input.coverage.push_back({start, std::max(start, span.to.addSecs(-60))});
    }
    return input;
}
