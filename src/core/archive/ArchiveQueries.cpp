// Reading the archive: devices, downloads, coverage.
#include "core/archive/Archive.h"
#include "core/archive/ArchiveDatabase.h"
#include "core/archive/ArchiveRecords.h"
#include "core/archive/ArchiveValidation.h"

#include <QSqlError>
#include <QSqlQuery>
#include <limits>
#include <map>

namespace {

constexpr qint64 kMaxId = std::numeric_limits<qint64>::max();

QString readFailure(ArchiveDatabase& db) {
    return QStringLiteral("Lecture de l'archive impossible : ") + db.lastError();
}

// A query whose rows stopped coming before the end (a lost connection): its result would be cut short.
bool cutShort(const QSqlQuery& query) {
    return query.lastError().type() != QSqlError::NoError;
}

std::optional<QDateTime> stampTime(const QVariant& v) {
    return ArchiveCheck::stampTime(v);
}

QString idText(const QVariant& v) {
    return QStringLiteral("id ") + ArchiveCheck::shown(v);
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

ArchiveResult<std::vector<ArchivedDevice>> Archive::devices(qint64 only) {
    using Result = ArchiveResult<std::vector<ArchivedDevice>>;
    std::vector<ArchivedDevice> list;
    ArchiveReadTransaction read(*m_db);
    if (!read.ok()) return Result::failure(readFailure(*m_db));
    QSqlQuery query(m_db->db());
    query.setForwardOnly(true);
    const QString sql = QStringLiteral("SELECT d.id, d.generation, d.serial_cells, d.serial, d.venue, "
                                       "(SELECT min(stamp) FROM levels WHERE device_id = d.id), "
                                       "(SELECT max(stamp) FROM levels WHERE device_id = d.id), "
                                       "(SELECT count(*) FROM downloads WHERE device_id = d.id), "
                                       "(SELECT max(cover_to) FROM downloads WHERE device_id = d.id) "
                                       "FROM devices d %1 ORDER BY d.serial, d.generation, d.id")
                            .arg(only > 0 ? QStringLiteral("WHERE d.id = ?") : QString());
    if (!m_db->execPrepared(query, sql, only > 0 ? QVariantList{only} : QVariantList{}))
        return Result::failure(readFailure(*m_db));
    while (query.next()) {
        ArchivedDevice d;
        const QString row = idText(query.value(0));
        const auto damaged = [&](const QString& table, const QString& what) {
            return Result::failure(ArchiveCheck::damaged(table, row, what));
        };
        const auto id = ArchiveCheck::integer(query.value(0), 1, kMaxId);
        const auto generation = ArchiveCheck::integer(query.value(1), 3, 5);
        const auto cells = ArchiveCheck::serialCells(query.value(2));
        if (!id) return damaged(QStringLiteral("devices"), QStringLiteral("identifiant impossible"));
        if (!generation || !ArchiveCheck::isGeneration(*generation))
            return damaged(QStringLiteral("devices"), QStringLiteral("génération inconnue"));
        if (!cells) return damaged(QStringLiteral("devices"), QStringLiteral("numéro de série illisible"));
        if (query.value(3).typeId() != QMetaType::QString || query.value(4).typeId() != QMetaType::QString)
            return damaged(QStringLiteral("devices"), QStringLiteral("texte illisible"));
        const auto first = stampTime(query.value(5)), last = stampTime(query.value(6));
        if (!first || !last)
            return Result::failure(
                ArchiveCheck::damaged(QStringLiteral("levels"),
                                      QStringLiteral("appareil %1, %2")
                                          .arg(ArchiveCheck::shown(query.value(0)),
                                               ArchiveCheck::shown(first ? query.value(6) : query.value(5))),
                                      QStringLiteral("date impossible")));
        const auto count = ArchiveCheck::integer(query.value(7), 0, kMaxId);
        const auto lastDownload = stampTime(query.value(8));
        if (!count || !lastDownload)
            return Result::failure(ArchiveCheck::damaged(
                QStringLiteral("downloads"),
                QStringLiteral("appareil %1, fin %2")
                    .arg(ArchiveCheck::shown(query.value(0)), ArchiveCheck::shown(query.value(8))),
                QStringLiteral("couverture impossible")));
        d.id = *id;
        d.generation = static_cast<int>(*generation);
        d.serialCells = *cells;
        d.serial = query.value(3).toString();
        d.venue = query.value(4).toString();
        d.firstRecord = *first;
        d.lastRecord = *last;
        d.downloads = static_cast<int>(std::min<qint64>(*count, std::numeric_limits<int>::max()));
        d.lastDownload = *lastDownload;
        list.push_back(d);
    }
    if (cutShort(query)) return Result::failure(readFailure(*m_db));
    return list;
}

ArchiveResult<std::vector<ArchivedDownload>> Archive::downloads(qint64 deviceId) {
    using Result = ArchiveResult<std::vector<ArchivedDownload>>;
    std::vector<ArchivedDownload> list;
    ArchiveReadTransaction read(*m_db);
    if (!read.ok()) return Result::failure(readFailure(*m_db));
    QSqlQuery query(m_db->db());
    query.setForwardOnly(true);
    query.prepare(
        QStringLiteral("SELECT id, device_id, source_kind, source_name, imported_at, transfer_date, "
                       "transfer_time, cover_from, cover_to, n_leq, n_leq1, n_leq10, n_events, n_changes, "
                       "sha256, original_size, original_sha256 FROM downloads WHERE device_id = ? ORDER BY "
                       "cover_to, id"));
    query.addBindValue(deviceId);
    if (!m_db->execPrepared(query)) return Result::failure(readFailure(*m_db));
    while (query.next()) {
        ArchivedDownload d;
        const auto problem = ArchiveCheck::downloadRowProblem(query, 0);
        if (!problem.isEmpty())
            return Result::failure(
                ArchiveCheck::damaged(QStringLiteral("downloads"), idText(query.value(0)), problem));
        d.id = query.value(0).toLongLong();
        d.deviceId = query.value(1).toLongLong();
        d.sourceKind = query.value(2).toInt() == 0 ? SourceKind::Transfer : SourceKind::File;
        d.sourceName = query.value(3).toString();
        d.importedAt = QDateTime::fromString(query.value(4).toString(), Qt::ISODate);
        d.transferDate = query.value(5).toString();
        d.transferTime = query.value(6).toString();
        d.coverFrom = *stampTime(query.value(7));
        d.coverTo = *stampTime(query.value(8));
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
    if (cutShort(query)) return Result::failure(readFailure(*m_db));
    return list;
}

ArchiveResult<Coverage> Archive::coverage(qint64 deviceId, QDate from, QDate to) {
    using Result = ArchiveResult<Coverage>;
    Coverage result;
    ArchiveReadTransaction read(*m_db);
    if (!read.ok()) return Result::failure(readFailure(*m_db));
    const auto known = deviceGeneration(deviceId);
    if (!known) return Result::failure(known.error());
    const int generation = *known;

    QSqlQuery query(m_db->db());
    query.setForwardOnly(true);
    query.prepare(
        QStringLiteral("SELECT id, cover_from, cover_to, param_zone FROM downloads WHERE device_id = ? AND "
                       "cover_from IS NOT NULL ORDER BY cover_from"));
    query.addBindValue(deviceId);
    if (!m_db->execPrepared(query)) return Result::failure(readFailure(*m_db));
    int64_t latestEnd = 0;
    QByteArray latestZone;
    QString latestRow;
    while (query.next()) {
        const auto from = stampTime(query.value(1)), to = stampTime(query.value(2));
        if (!from || !to || to->isNull() || *from > *to)
            return Result::failure(ArchiveCheck::damaged(QStringLiteral("downloads"), idText(query.value(0)),
                                                         QStringLiteral("couverture impossible")));
        const int64_t end = Stamp::fromDateTime(*to);
        const TimeSpan span = spanOf(Stamp::fromDateTime(*from), end);
        if (!result.covered.empty() && span.from <= result.covered.back().to)
            result.covered.back().to = std::max(result.covered.back().to, span.to);
        else
            result.covered.push_back(span);
        if (end >= latestEnd) {
            latestEnd = end;
            latestZone = query.value(3).toByteArray();
            latestRow = idText(query.value(0));
            if (query.value(3).typeId() != QMetaType::QByteArray) latestZone.clear();
        }
    }
    if (cutShort(query)) return Result::failure(readFailure(*m_db));
    query.finish();
    if (latestEnd > 0) {
        result.lastDownload = Stamp::toDateTime(latestEnd);
        auto zone = std::make_unique<DeviceData>();
        if (!RestoreParamZone(latestZone, generation, *zone))
            return Result::failure(ArchiveCheck::damaged(QStringLiteral("downloads"), latestRow,
                                                         QStringLiteral("bloc de paramètres illisible")));
        judgeBy(*zone, result);
    }
    if (result.covered.empty() && (!from.isValid() || !to.isValid())) return result;
    if (!from.isValid()) from = result.covered.front().from.date();
    if (!to.isValid()) to = result.covered.back().to.addSecs(-60).date();
    if (from > to) return result;
    if (from.year() < 2000 || to.year() > 2098) return Result::failure(QStringLiteral("Période invalide."));

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
    const QDate after = to.addDays(1);
    const int64_t levelsFrom = Stamp::of(from.year() - 2000, from.month(), from.day(), 12, 0);
    const int64_t levelsTo = Stamp::of(after.year() - 2000, after.month(), after.day(), 11, 59);
    if (const ArchiveStatus rows =
            ArchiveCheck::recordRows(*m_db, RecordRows::Levels, deviceId, levelsFrom, levelsTo, generation);
        !rows)
        return Result::failure(rows.error());
    // Generation 3 has only ten-minute levels, and no type byte to tell them.
    const QString halfDay =
        QStringLiteral("stamp / 10000, CASE WHEN stamp / 100 % 100 >= 12 THEN 1 ELSE 0 END");
    query.prepare(
        QStringLiteral("SELECT %1, max(level) FROM levels WHERE device_id = ? AND stamp BETWEEN ? AND ? %2 "
                       "GROUP BY %1")
            .arg(halfDay, generation == 3 ? QString() : QStringLiteral("AND c4 = 10")));
    query.addBindValue(deviceId);
    query.addBindValue(qint64(levelsFrom));
    query.addBindValue(qint64(levelsTo));
    if (!m_db->execPrepared(query)) return Result::failure(readFailure(*m_db));
    while (query.next())
        halfDayMax[query.value(0).toLongLong() * 10 + query.value(1).toInt()] = query.value(2).toInt();
    if (cutShort(query)) return Result::failure(readFailure(*m_db));
    query.finish();

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

ArchiveResult<int> Archive::deviceGeneration(qint64 deviceId) {
    QSqlQuery query(m_db->db());
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT generation FROM devices WHERE id = ?"));
    query.addBindValue(deviceId);
    if (!m_db->execPrepared(query)) return ArchiveResult<int>::failure(readFailure(*m_db));
    if (!query.next()) {
        if (cutShort(query)) return ArchiveResult<int>::failure(readFailure(*m_db));
        return ArchiveResult<int>::failure(QStringLiteral("Appareil inconnu dans l'archive."));
    }
    const auto generation = ArchiveCheck::integer(query.value(0), 3, 5);
    if (!generation || !ArchiveCheck::isGeneration(*generation))
        return ArchiveResult<int>::failure(ArchiveCheck::damaged(QStringLiteral("devices"),
                                                                 QStringLiteral("id %1").arg(deviceId),
                                                                 QStringLiteral("génération inconnue")));
    return static_cast<int>(*generation);
}

Archive::Snapshot::Snapshot(Archive& archive) : m_archive(archive), m_status(ArchiveOk()) {
    if (!archive.m_db->beginRead()) m_status = ArchiveStatus::failure(readFailure(*archive.m_db));
}

Archive::Snapshot::~Snapshot() {
    if (m_status) m_archive.m_db->endRead();
}

void Archive::setReadStatementHook(std::function<void(int)> hook) {
    m_db->setReadStatementHook(std::move(hook));
}

ArchiveResult<qint64> Archive::deviceOfDownload(qint64 downloadId) {
    ArchiveReadTransaction read(*m_db);
    QSqlQuery query(m_db->db());
    query.setForwardOnly(true);
    if (!read.ok() ||
        !m_db->execPrepared(query, QStringLiteral("SELECT device_id FROM downloads WHERE id = ?"),
                            {downloadId}))
        return ArchiveResult<qint64>::failure(readFailure(*m_db));
    if (!query.next()) return qint64{0};
    const auto device = ArchiveCheck::integer(query.value(0), 1, kMaxId);
    if (!device)
        return ArchiveResult<qint64>::failure(ArchiveCheck::damaged(
            QStringLiteral("downloads"), idText(downloadId), QStringLiteral("appareil impossible")));
    return *device;
}

ArchiveResult<std::optional<std::pair<qint64, qint64>>>
Archive::downloadWithOriginal(const QString& originalSha256) {
    using Result = ArchiveResult<std::optional<std::pair<qint64, qint64>>>;
    ArchiveReadTransaction read(*m_db);
    QSqlQuery query(m_db->db());
    query.setForwardOnly(true);
    if (!read.ok() ||
        !m_db->execPrepared(query,
                            QStringLiteral("SELECT id, device_id FROM downloads WHERE original_sha256 = ? "
                                           "ORDER BY id LIMIT 1"),
                            {originalSha256}))
        return Result::failure(readFailure(*m_db));
    if (!query.next()) return std::optional<std::pair<qint64, qint64>>();
    const auto id = ArchiveCheck::integer(query.value(0), 1, kMaxId);
    const auto device = ArchiveCheck::integer(query.value(1), 1, kMaxId);
    if (!id || !device)
        return Result::failure(ArchiveCheck::damaged(QStringLiteral("downloads"), idText(query.value(0)),
                                                     QStringLiteral("identifiant impossible")));
    return std::optional<std::pair<qint64, qint64>>(std::pair{*id, *device});
}
