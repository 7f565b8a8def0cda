// Reading the archive: devices, downloads, coverage.
#include "core/archive/Archive.h"
#include "core/archive/ArchiveDatabase.h"
#include "core/archive/ArchiveRecords.h"

#include <QSqlQuery>
#include <map>

namespace {

QDateTime stampTime(const QVariant& v) {
    return v.isNull() ? QDateTime() : Stamp::toDateTime(v.toLongLong());
}

std::array<int16_t, 8> cellsOf(const QString& text) {
    std::array<int16_t, 8> cells{};
    const QStringList parts = text.split(QLatin1Char(','));
    for (int i = 0; i < 8 && i < parts.size(); ++i)
        cells[static_cast<std::size_t>(i)] = static_cast<int16_t>(parts[i].toInt());
    return cells;
}

constexpr int kLimitWeightedA = 102; // the legal limit for A-weighted levels

// The weighting the device applied (option byte of cell 6) and the limit the loudness is judged against:
// the legal limit for A-weighting, else the device's own day threshold.
void judgeBy(const DeviceData& zone, Coverage& coverage) {
    switch (zone.Param_Block[6] & 0x0C) {
    case 12:
        coverage.weighting = QStringLiteral("Pondérée Type A");
        coverage.limitDb = kLimitWeightedA;
        return;
    case 8:
        coverage.weighting = QStringLiteral("Pondérée Type M");
        break;
    default:
        coverage.weighting = QStringLiteral("Linéaire");
    }
    coverage.limitDb = zone.Param_Block[2176] * 100 + zone.Param_Block[2177];
}

// The covered span of one download: from its first level to its end, the end minute included.
TimeSpan spanOf(int64_t from, int64_t to) {
    return {Stamp::toDateTime(from), Stamp::toDateTime(to).addSecs(60)};
}

} // namespace

std::vector<ArchivedDevice> Archive::devices() {
    std::vector<ArchivedDevice> list;
    QSqlQuery query(m_db->db());
    query.setForwardOnly(true);
    if (!m_db->exec(query, QStringLiteral("SELECT d.id, d.generation, d.serial_cells, d.serial, d.venue, "
                                          "(SELECT min(stamp) FROM levels WHERE device_id = d.id), "
                                          "(SELECT max(stamp) FROM levels WHERE device_id = d.id), "
                                          "(SELECT count(*) FROM downloads WHERE device_id = d.id), "
                                          "(SELECT max(cover_to) FROM downloads WHERE device_id = d.id) "
                                          "FROM devices d ORDER BY d.serial, d.generation, d.id")))
        return list;
    while (query.next()) {
        ArchivedDevice d;
        d.id = query.value(0).toLongLong();
        d.generation = query.value(1).toInt();
        d.serialCells = cellsOf(query.value(2).toString());
        d.serial = query.value(3).toString();
        d.venue = query.value(4).toString();
        d.firstRecord = stampTime(query.value(5));
        d.lastRecord = stampTime(query.value(6));
        d.downloads = query.value(7).toInt();
        d.lastDownload = stampTime(query.value(8));
        list.push_back(d);
    }
    return list;
}

std::vector<ArchivedDownload> Archive::downloads(qint64 deviceId) {
    std::vector<ArchivedDownload> list;
    QSqlQuery query(m_db->db());
    query.setForwardOnly(true);
    query.prepare(
        QStringLiteral("SELECT id, device_id, source_kind, source_name, imported_at, transfer_date, "
                       "transfer_time, cover_from, cover_to, n_leq, n_leq1, n_leq10, n_events, n_changes, "
                       "sha256, original_size, original_sha256 FROM downloads WHERE device_id = ? ORDER BY "
                       "cover_to, id"));
    query.addBindValue(deviceId);
    if (!m_db->execPrepared(query)) return list;
    while (query.next()) {
        ArchivedDownload d;
        d.id = query.value(0).toLongLong();
        d.deviceId = query.value(1).toLongLong();
        d.sourceKind = query.value(2).toInt() == 0 ? SourceKind::Transfer : SourceKind::File;
        d.sourceName = query.value(3).toString();
        d.importedAt = QDateTime::fromString(query.value(4).toString(), Qt::ISODate);
        d.transferDate = query.value(5).toString();
        d.transferTime = query.value(6).toString();
        d.coverFrom = stampTime(query.value(7));
        d.coverTo = stampTime(query.value(8));
        d.counts = {query.value(9).toInt(), query.value(10).toInt(), query.value(11).toInt(),
                    query.value(12).toInt(), query.value(13).toInt()};
        d.sha256 = query.value(14).toString();
        d.originalSize = query.value(15).toLongLong();
        d.originalSha256 = query.value(16).toString();
        const QDateTime transfer = TransferDateTime(d.transferDate, d.transferTime);
        d.transferBeforeRecords = transfer.isValid() && !query.value(8).isNull() &&
                                  Stamp::fromDateTime(transfer) < query.value(8).toLongLong();
        list.push_back(d);
    }
    return list;
}

Coverage Archive::coverage(qint64 deviceId, QDate from, QDate to) {
    Coverage result;
    const int generation =
        m_db->scalar(QStringLiteral("SELECT generation FROM devices WHERE id = ?"), {deviceId}).toInt();

    QSqlQuery query(m_db->db());
    query.setForwardOnly(true);
    query.prepare(
        QStringLiteral("SELECT cover_from, cover_to, param_zone FROM downloads WHERE device_id = ? AND "
                       "cover_from IS NOT NULL ORDER BY cover_from"));
    query.addBindValue(deviceId);
    if (!m_db->execPrepared(query)) return result;
    int64_t latestEnd = 0;
    QByteArray latestZone;
    while (query.next()) {
        const int64_t end = query.value(1).toLongLong();
        const TimeSpan span = spanOf(query.value(0).toLongLong(), end);
        if (!result.covered.empty() && span.from <= result.covered.back().to)
            result.covered.back().to = std::max(result.covered.back().to, span.to);
        else
            result.covered.push_back(span);
        if (end >= latestEnd) {
            latestEnd = end;
            latestZone = query.value(2).toByteArray();
        }
    }
    query.finish();
    if (latestEnd > 0) result.lastDownload = Stamp::toDateTime(latestEnd);
    if (!latestZone.isEmpty()) {
        auto zone = std::make_unique<DeviceData>();
        if (RestoreParamZone(latestZone, generation, *zone)) judgeBy(*zone, result);
    }
    if (result.covered.empty() && (!from.isValid() || !to.isValid())) return result;
    if (!from.isValid()) from = result.covered.front().from.date();
    if (!to.isValid()) to = result.covered.back().to.addSecs(-60).date();
    if (from > to) return result;

    // Gaps inside the asked days, and the covered spans cut to them.
    const QDateTime windowFrom(from, QTime(0, 0), Qt::UTC);
    const QDateTime windowTo(to.addDays(1), QTime(0, 0), Qt::UTC);
    std::vector<TimeSpan> inside;
    for (const TimeSpan& s : result.covered)
        if (s.to > windowFrom && s.from < windowTo)
            inside.push_back({std::max(s.from, windowFrom), std::min(s.to, windowTo)});
    QDateTime cursor = windowFrom;
    for (const TimeSpan& s : inside) {
        if (s.from > cursor) result.gaps.push_back({cursor, s.from});
        cursor = std::max(cursor, s.to);
    }
    if (cursor < windowTo) result.gaps.push_back({cursor, windowTo});

    // The loudest level of each half day, in the database; the noon-to-noon span of a day is its
    // afternoon and the next day's morning.
    std::map<int64_t, int> halfDayMax; // yymmdd * 10 + (0 morning, 1 afternoon)
    // Generation 3 has only ten-minute levels, and no type byte to tell them.
    const QString halfDay =
        QStringLiteral("stamp / 10000, CASE WHEN stamp / 100 % 100 >= 12 THEN 1 ELSE 0 END");
    query.prepare(
        QStringLiteral("SELECT %1, max(level) FROM levels WHERE device_id = ? AND stamp BETWEEN ? AND ? %2 "
                       "GROUP BY %1")
            .arg(halfDay, generation == 3 ? QString() : QStringLiteral("AND c4 = 10")));
    const QDate after = to.addDays(1);
    query.addBindValue(deviceId);
    query.addBindValue(qint64(Stamp::of(from.year() - 2000, from.month(), from.day(), 12, 0)));
    query.addBindValue(qint64(Stamp::of(after.year() - 2000, after.month(), after.day(), 11, 59)));
    if (m_db->execPrepared(query))
        while (query.next())
            halfDayMax[query.value(0).toLongLong() * 10 + query.value(1).toInt()] = query.value(2).toInt();

    std::size_t next = 0;
    for (QDate day = from; day <= to; day = day.addDays(1)) {
        DayStatus status;
        status.day = day;
        const QDateTime dayFrom(day, QTime(0, 0), Qt::UTC), dayTo = dayFrom.addDays(1);
        qint64 coveredSecs = 0;
        while (next < inside.size() && inside[next].to <= dayFrom)
            ++next;
        for (std::size_t i = next; i < inside.size() && inside[i].from < dayTo; ++i)
            coveredSecs += std::max(dayFrom, inside[i].from).secsTo(std::min(dayTo, inside[i].to));
        status.cover = coveredSecs == 0       ? DayCover::None
                       : coveredSecs >= 86400 ? DayCover::Whole
                                              : DayCover::Partial;
        const int64_t today = Stamp::dayStart(day) / 10000,
                      tomorrow = Stamp::dayStart(day.addDays(1)) / 10000;
        for (int64_t key : {today * 10 + 1, tomorrow * 10}) {
            const auto it = halfDayMax.find(key);
            if (it != halfDayMax.end())
                status.highestLevel = std::max(status.highestLevel.value_or(0), it->second);
        }
        result.days.push_back(status);
    }
    return result;
}
