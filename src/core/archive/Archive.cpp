#include "core/archive/Archive.h"

#include "core/archive/ArchiveDatabase.h"
#include "core/archive/ArchiveRecords.h"
#include "core/archive/ArchiveValidation.h"
#include "core/store/Labels.h"
#include "core/store/Validity.h"

#include <QCryptographicHash>
#include <QSqlQuery>
#include <map>
#include <tuple>

namespace {

// Rows per multi-row INSERT: the drivers send one statement per call, so fewer, larger statements
// are what makes an import fast, on a server above all.
constexpr int kRowsPerInsert = 1000;

// The longest venue name the archive takes (its schema refuses longer ones).

struct LevelRow {
    int64_t stamp;
    int c4, b7, b8, rank, level, order;
};
struct EventRow {
    int64_t stamp;
    int c4, b7, b8, rank, order;
};
struct ChangeRow {
    int64_t stamp;
    QString cells;
    int rank, order;
};

// The valid rows of one download, each with its rank among the identical rows before it in the same
// download (0 for the first, 1 for its twin in the hour repeated when the clock goes back) and its
// order among the rows of its minute in its table, which a period loaded back keeps.
struct DownloadRows {
    std::vector<LevelRow> levels;
    std::vector<EventRow> events;
    std::vector<ChangeRow> changes;
    RecordCounts counts;
    int64_t firstLevel = 0, lastLevel = 0, lastAny = 0;
};

QString changeCells(const ParamChangeTable& table, int row) {
    QString text = QString::number(table(row, 4));
    for (int c = 7; c <= ParamChangeTable::columnCount; ++c)
        text += QLatin1Char(',') + QString::number(table(row, c));
    return text;
}

DownloadRows collectRows(const DeviceData& data, int generation) {
    DownloadRows rows;
    std::map<std::tuple<int64_t, int, int, int>, int> seen;
    std::map<int64_t, int> inMinute;
    auto noteAny = [&rows](int64_t stamp) { rows.lastAny = std::max(rows.lastAny, stamp); };
    const int levelRows = generation == 3 ? 4096 : LeqTable::rowCount;
    for (int r = 1; r <= levelRows; ++r) {
        const LeqTable& t = data.Leq_Records;
        if (!isValidLevelOrEventRow(t, r) || !ArchiveCheck::isCalendarDay(Stamp::ofRow(t, r))) continue;
        const int64_t stamp = Stamp::ofRow(t, r);
        const int rank = seen[{stamp, t(r, 4), t(r, 7), t(r, 8)}]++;
        rows.levels.push_back({stamp, t(r, 4), t(r, 7), t(r, 8), rank, LevelOf(generation, t(r, 7), t(r, 8)),
                               inMinute[stamp]++});
        if (generation == 5 && t(r, 4) == 1)
            ++rows.counts.leq1;
        else if (generation == 5 && t(r, 4) == 10)
            ++rows.counts.leq10;
        else
            ++rows.counts.leq;
        rows.firstLevel = rows.firstLevel == 0 ? stamp : std::min(rows.firstLevel, stamp);
        rows.lastLevel = std::max(rows.lastLevel, stamp);
        noteAny(stamp);
    }
    seen.clear();
    inMinute.clear();
    for (int r = 1; r <= EventTable::rowCount; ++r) {
        const EventTable& t = data.Event_Records;
        if (!isValidLevelOrEventRow(t, r) || !ArchiveCheck::isCalendarDay(Stamp::ofRow(t, r))) continue;
        const int64_t stamp = Stamp::ofRow(t, r);
        const int rank = seen[{stamp, t(r, 4), t(r, 7), t(r, 8)}]++;
        rows.events.push_back({stamp, t(r, 4), t(r, 7), t(r, 8), rank, inMinute[stamp]++});
        ++rows.counts.events;
        noteAny(stamp);
    }
    if (generation == 5) {
        std::map<std::pair<int64_t, QString>, int> seenChanges;
        inMinute.clear();
        for (int r = 1; r <= ParamChangeTable::rowCount; ++r) {
            const ParamChangeTable& t = data.Param_Change_Records;
            if (!isValidParamChangeRow(t, r) || !ArchiveCheck::isCalendarDay(Stamp::ofRow(t, r))) continue;
            const int64_t stamp = Stamp::ofRow(t, r);
            QString cells = changeCells(t, r);
            const int rank = seenChanges[{stamp, cells}]++;
            rows.changes.push_back({stamp, std::move(cells), rank, inMinute[stamp]++});
            ++rows.counts.paramChanges;
            noteAny(stamp);
        }
    }
    return rows;
}

QByteArray zoneBytes(const DeviceData& data, int generation) {
    QByteArray bytes;
    auto put = [&bytes](int16_t v) {
        bytes.append(static_cast<char>(v & 0xFF));
        bytes.append(static_cast<char>((v >> 8) & 0xFF));
    };
    if (generation == 3)
        for (int i = 0; i < ParamZoneV3::size; ++i)
            put(data.Param_Block_V3[i]);
    else
        for (int i = 0; i < ParamZone::size; ++i)
            put(data.Param_Block[i]);
    return qCompress(bytes);
}

// Sends rows in multi-row INSERTs that skip the rows already archived; adds the rows really inserted.
// The values are numbers and digit lists built here, never text from outside.
template <class Row, class Format>
bool insertRows(ArchiveDatabase& db, const QString& head, const std::vector<Row>& rows, Format format,
                int& inserted) {
    QSqlQuery query(db.db());
    for (std::size_t start = 0; start < rows.size(); start += kRowsPerInsert) {
        const std::size_t end = std::min(rows.size(), start + kRowsPerInsert);
        QString sql = head;
        sql.reserve(head.size() + static_cast<qsizetype>(end - start) * 48);
        for (std::size_t i = start; i < end; ++i) {
            if (i > start) sql += QLatin1Char(',');
            format(sql, rows[i]);
        }
        sql += QStringLiteral(" ON CONFLICT DO NOTHING");
        if (!db.exec(query, sql)) return false;
        inserted += std::max(0, query.numRowsAffected());
    }
    return true;
}

QString num(int64_t v) {
    return QString::number(v);
}

// A null text would be bound as SQL NULL.
QString notNull(const QString& s) {
    return s.isNull() ? QStringLiteral("") : s;
}

} // namespace

Archive::Archive(std::unique_ptr<ArchiveDatabase> db) : m_db(std::move(db)) {}
Archive::~Archive() = default;

ArchiveResult<std::unique_ptr<Archive>> Archive::open(const ArchiveLocation& location, ArchiveOpenMode mode) {
    auto db = ArchiveDatabase::connect(location, mode);
    if (!db) return ArchiveResult<std::unique_ptr<Archive>>::failure(db.error());
    return std::unique_ptr<Archive>(new Archive(std::move(db).value()));
}

const ArchiveLocation& Archive::location() const {
    return m_db->location();
}
ArchiveStatus Archive::ensureConnected() {
    return m_db->ensureConnected();
}
SchemaVersion Archive::schemaVersion() const {
    return m_db->schemaVersion();
}
ImportResult Archive::importDownload(const DeviceData& data, int generation, const DownloadSource& source,
                                     const QByteArray& originalBytes) {
    ImportOutcome result;
    result.serial = SerialNumberOf(data.Param_Block);
    auto fail = [&](const QString& what) {
        m_db->rollback();
        return ImportResult::failure(MaskPasswords(what + QStringLiteral(" : ") + m_db->lastError() +
                                                   QStringLiteral(". L'archive n'a pas été modifiée.")));
    };
    m_db->clearError();
    if (generation != 3 && generation != 5)
        return ImportResult::failure(QStringLiteral("Génération d'appareil inconnue : %1.").arg(generation));
    const DownloadRows rows = collectRows(data, generation);
    const QString hash = ContentHash(data, generation);
    const QDateTime transfer = TransferDateTime(data.Transfer_Date, data.Transfer_Time);
    const QString transferDate = notNull(data.Transfer_Date), transferTime = notNull(data.Transfer_Time);

    if (const ArchiveStatus sound = checkBeforeWriting(); !sound) return ImportResult::failure(sound.error());
    // The same content read at the same minute adds nothing, not even a download row (a transfer and
    // the save file written from it); without a transfer time it has nothing to cover that the earlier
    // one does not.
    auto earlierDownload = [&] {
        return transfer.isValid()
                   ? m_db->scalar(
                         QStringLiteral("SELECT id FROM downloads WHERE sha256 = ? AND transfer_date = "
                                        "? AND substr(transfer_time, 1, 5) = ?"),
                         {hash, transferDate, transferTime.left(5)})
                   : m_db->scalar(QStringLiteral("SELECT min(id) FROM downloads WHERE sha256 = ?"), {hash});
    };
    auto alreadyArchived = [&](const QVariant& earlier) -> ImportResult {
        result.status = ImportStatus::AlreadyArchived;
        result.downloadId = earlier.toLongLong();
        result.deviceId =
            m_db->scalar(QStringLiteral("SELECT device_id FROM downloads WHERE id = ?"), {earlier})
                .toLongLong();
        result.duplicates = rows.counts;
        return result;
    };
    if (const QVariant earlier = earlierDownload(); earlier.isValid() && !earlier.isNull())
        return alreadyArchived(earlier);
    if (!m_db->lastError().isEmpty()) return fail(QStringLiteral("Lecture de l'archive impossible"));

    const QByteArray plain = originalBytes.isEmpty() ? SaveFileBytes(data, generation, true) : originalBytes;
    const QByteArray original = qCompress(plain);
    const qint64 originalSize = plain.size();
    const QString originalHash =
        QString::fromLatin1(QCryptographicHash::hash(plain, QCryptographicHash::Sha256).toHex());
    const QByteArray zone = zoneBytes(data, generation);
    // The transfer time is the PC's clock, the records the device's: a transfer time before the last
    // level cannot end the coverage.
    int64_t coverTo = rows.lastAny;
    if (transfer.isValid() && Stamp::fromDateTime(transfer) >= rows.lastLevel)
        coverTo = Stamp::fromDateTime(transfer);
    result.transferBeforeRecords = transfer.isValid() && Stamp::fromDateTime(transfer) < rows.lastLevel;

    if (!m_db->begin()) return fail(QStringLiteral("L'archive refuse l'écriture"));
    const QString cells = SerialCellsText(data.Param_Block);
    QSqlQuery query(m_db->db());
    query.prepare(QStringLiteral("INSERT INTO devices (generation, serial_cells, serial) VALUES (?, ?, ?) "
                                 "ON CONFLICT DO NOTHING"));
    query.addBindValue(generation);
    query.addBindValue(cells);
    query.addBindValue(result.serial);
    if (!m_db->execPrepared(query)) return fail(QStringLiteral("Enregistrement de l'appareil impossible"));
    const QVariant device =
        m_db->scalar(QStringLiteral("SELECT id FROM devices WHERE generation = ? AND serial_cells = ?"),
                     {generation, cells});
    if (!device.isValid()) return fail(QStringLiteral("Enregistrement de l'appareil impossible"));
    result.deviceId = device.toLongLong();

    query.prepare(QStringLiteral(
        "INSERT INTO downloads (device_id, source_kind, source_name, imported_at, transfer_date, "
        "transfer_time, "
        "cover_from, cover_to, n_leq, n_leq1, n_leq10, n_events, n_changes, sha256, param_zone, original, "
        "original_size, original_sha256) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?) ON "
        "CONFLICT DO NOTHING RETURNING id"));
    for (const QVariant& v :
         QVariantList{result.deviceId, source.kind == SourceKind::Transfer ? 0 : 1, notNull(source.name),
                      QDateTime::currentDateTimeUtc().toString(Qt::ISODate), transferDate, transferTime,
                      rows.levels.empty() ? QVariant() : QVariant(qint64(rows.firstLevel)),
                      rows.lastAny == 0 ? QVariant() : QVariant(qint64(coverTo)), rows.counts.leq,
                      rows.counts.leq1, rows.counts.leq10, rows.counts.events, rows.counts.paramChanges, hash,
                      zone, original, originalSize, originalHash})
        query.addBindValue(v);
    if (!m_db->execPrepared(query))
        return fail(QStringLiteral("Enregistrement du téléchargement impossible"));
    if (!query.next()) {
        // Another importer archived the same download a moment ago.
        query.finish();
        m_db->rollback();
        return alreadyArchived(earlierDownload());
    }
    result.downloadId = query.value(0).toLongLong();
    query.finish();
    stage(ImportStage::DownloadRow);
    const QString device_ = num(result.deviceId), download_ = num(result.downloadId);

    std::vector<LevelRow> kinds[3];
    for (const LevelRow& row : rows.levels)
        kinds[generation == 5 && row.c4 == 1 ? 1 : generation == 5 && row.c4 == 10 ? 2 : 0].push_back(row);
    const QString levelHead = QStringLiteral("INSERT INTO levels (device_id, stamp, c4, b7, b8, dup_rank, "
                                             "level, download_id, minute_order) VALUES ");
    auto formatLevel = [&](QString& sql, const LevelRow& r) {
        sql += QLatin1Char('(') + device_ + QLatin1Char(',') + num(r.stamp) + QLatin1Char(',') + num(r.c4) +
               QLatin1Char(',') + num(r.b7) + QLatin1Char(',') + num(r.b8) + QLatin1Char(',') + num(r.rank) +
               QLatin1Char(',') + num(r.level) + QLatin1Char(',') + download_ + QLatin1Char(',') +
               num(r.order) + QLatin1Char(')');
    };
    int* const added[3] = {&result.added.leq, &result.added.leq1, &result.added.leq10};
    for (int k = 0; k < 3; ++k)
        if (!insertRows(*m_db, levelHead, kinds[k], formatLevel, *added[k]))
            return fail(QStringLiteral("Enregistrement des mesures impossible"));
    stage(ImportStage::Levels);
    const QString eventHead = QStringLiteral(
        "INSERT INTO events (device_id, stamp, c4, b7, b8, dup_rank, download_id, minute_order) "
        "VALUES ");
    auto formatEvent = [&](QString& sql, const EventRow& r) {
        sql += QLatin1Char('(') + device_ + QLatin1Char(',') + num(r.stamp) + QLatin1Char(',') + num(r.c4) +
               QLatin1Char(',') + num(r.b7) + QLatin1Char(',') + num(r.b8) + QLatin1Char(',') + num(r.rank) +
               QLatin1Char(',') + download_ + QLatin1Char(',') + num(r.order) + QLatin1Char(')');
    };
    if (!insertRows(*m_db, eventHead, rows.events, formatEvent, result.added.events))
        return fail(QStringLiteral("Enregistrement des événements impossible"));
    const QString changeHead = QStringLiteral(
        "INSERT INTO param_changes (device_id, stamp, cells, dup_rank, download_id, minute_order) "
        "VALUES ");
    auto formatChange = [&](QString& sql, const ChangeRow& r) {
        sql += QLatin1Char('(') + device_ + QLatin1Char(',') + num(r.stamp) + QStringLiteral(",'") + r.cells +
               QStringLiteral("',") + num(r.rank) + QLatin1Char(',') + download_ + QLatin1Char(',') +
               num(r.order) + QLatin1Char(')');
    };
    if (!insertRows(*m_db, changeHead, rows.changes, formatChange, result.added.paramChanges))
        return fail(QStringLiteral("Enregistrement des changements de paramètres impossible"));
    stage(ImportStage::Records);
    if (!m_db->commit()) return fail(QStringLiteral("Validation de l'import impossible"));

    result.status = ImportStatus::Imported;
    result.duplicates = {rows.counts.leq - result.added.leq, rows.counts.leq1 - result.added.leq1,
                         rows.counts.leq10 - result.added.leq10, rows.counts.events - result.added.events,
                         rows.counts.paramChanges - result.added.paramChanges};
    return result;
}

ArchiveResult<QByteArray> Archive::originalBytes(qint64 downloadId) {
    using Result = ArchiveResult<QByteArray>;
    ArchiveReadTransaction read(*m_db);
    if (!read.ok())
        return Result::failure(QStringLiteral("Lecture de l'archive impossible : ") + m_db->lastError());
    QSqlQuery query(m_db->db());
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT original, original_size FROM downloads WHERE id = ?"));
    query.addBindValue(downloadId);
    if (!m_db->execPrepared(query))
        return Result::failure(QStringLiteral("Lecture de l'archive impossible : ") + m_db->lastError());
    if (!query.next())
        return Result::failure(QStringLiteral("Téléchargement inconnu dans l'archive : %1").arg(downloadId));
    const auto size = ArchiveCheck::integer(query.value(1), 1, ArchiveCheck::kMaxOriginalSize);
    const auto bytes = size ? ArchiveCheck::unpacked(query.value(0), *size) : std::nullopt;
    if (!bytes)
        return Result::failure(ArchiveCheck::damaged(QStringLiteral("downloads"),
                                                     QStringLiteral("id %1").arg(downloadId),
                                                     QStringLiteral("octets d'origine endommagés")));
    return *bytes;
}

ArchiveStatus Archive::checkBeforeWriting() {
    if (m_soundForWriting) return ArchiveOk();
    ArchiveResult<VerifyReport> report = checkStructure(true);
    if (!report) return ArchiveStatus::failure(report.error());
    if (const ArchiveStatus originals = checkOriginals(*report, false); !originals)
        return ArchiveStatus::failure(originals.error());
    if (!report->ok())
        return ArchiveStatus::failure(
            QStringLiteral(
                "Archive endommagée : %1. Rien n'y sera écrit avant qu'elle soit réparée (vorl-cli "
                "archive verify dit tout ce qu'elle a). L'archive n'a pas été modifiée.")
                .arg(report->problems.first()));
    m_soundForWriting = true;
    return ArchiveOk();
}

ArchiveStatus Archive::removeDevice(qint64 deviceId) {
    m_db->clearError();
    auto failed = [this](const QString& what) {
        m_db->rollback();
        return ArchiveStatus::failure(what + QStringLiteral(" : ") + m_db->lastError() +
                                      QStringLiteral(". L'archive n'a pas été modifiée."));
    };
    if (!m_db->isSqlite()) {
        // Every PC of a fleet may import; removing is for the role the archive belongs to.
        const QString owner = m_db->foreignOwner();
        if (!m_db->lastError().isEmpty()) return failed(QStringLiteral("Lecture de l'archive impossible"));
        if (!owner.isEmpty())
            return ArchiveStatus::failure(
                QStringLiteral(
                    "Seul le rôle propriétaire de l'archive (%1) peut en retirer un appareil. L'archive "
                    "n'a pas été modifiée.")
                    .arg(owner));
    }
    if (!m_db->begin()) return failed(QStringLiteral("L'archive refuse l'écriture"));
    QSqlQuery query(m_db->db());
    for (const char* table : {"night_verdicts", "night_episodes", "levels", "events", "param_changes",
                              "downloads", "venue_devices", "device_tokens"}) {
        query.prepare(QStringLiteral("DELETE FROM %1 WHERE device_id = ?").arg(QLatin1String(table)));
        query.addBindValue(deviceId);
        if (!m_db->execPrepared(query)) return failed(QStringLiteral("Retrait de l'appareil impossible"));
    }
    query.prepare(QStringLiteral("DELETE FROM devices WHERE id = ?"));
    query.addBindValue(deviceId);
    if (!m_db->execPrepared(query)) return failed(QStringLiteral("Retrait de l'appareil impossible"));
    if (query.numRowsAffected() != 1) {
        m_db->rollback();
        return ArchiveStatus::failure(QStringLiteral("Appareil inconnu dans l'archive : %1").arg(deviceId));
    }
    if (!m_db->commit()) return failed(QStringLiteral("Validation du retrait impossible"));
    return ArchiveOk();
}
