// A period of the archive back into a memory image, and the ways into and out of the archive that
// the window and vorl-cli share.
#include "core/archive/Archive.h"
#include "core/archive/ArchiveDatabase.h"
#include "core/archive/ArchiveRecords.h"
#include "core/archive/ArchiveValidation.h"
#include "core/files/SaveFile.h"

#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <map>

namespace {

QString dayText(const QDate& d) {
    return d.toString(QStringLiteral("dd/MM/yyyy"));
}

QString readFailure(ArchiveDatabase& db) {
    return QStringLiteral("Lecture de l'archive impossible : ") + db.lastError();
}

bool cutShort(const QSqlQuery& query) {
    return query.lastError().type() != QSqlError::NoError;
}

// A period's data ends at noon of the day after its last day, the end of that day's night; the
// records stamped 12:00 end the night's last minute and belong to it.
QDateTime periodNoon(const QDate& last) {
    return QDateTime(last.addDays(1), QTime(12, 0), Qt::UTC);
}
int64_t periodEnd(const QDate& last) {
    return Stamp::fromDateTime(periodNoon(last));
}

// Rows of one table over [from, to] per day (yymmdd), each split into the rows up to 12:00 and after.
struct DayRows {
    int untilNoon = 0, afterNoon = 0;
};
ArchiveResult<std::map<int64_t, DayRows>> rowsPerDay(ArchiveDatabase& db, const QString& table,
                                                     qint64 deviceId, int64_t from, int64_t to) {
    std::map<int64_t, DayRows> counts;
    QSqlQuery query(db.db());
    query.setForwardOnly(true);
    const QString half = QStringLiteral("CASE WHEN stamp % 10000 <= 1200 THEN 0 ELSE 1 END");
    query.prepare(QStringLiteral("SELECT stamp / 10000, %2, count(*) FROM %1 WHERE device_id = ? AND stamp "
                                 "BETWEEN ? AND ? GROUP BY stamp / 10000, %2")
                      .arg(table, half));
    query.addBindValue(deviceId);
    query.addBindValue(qint64(from));
    query.addBindValue(qint64(to));
    if (!db.execPrepared(query)) return ArchiveResult<std::map<int64_t, DayRows>>::failure(readFailure(db));
    while (query.next()) {
        DayRows& day = counts[query.value(0).toLongLong()];
        (query.value(1).toInt() == 0 ? day.untilNoon : day.afterNoon) += query.value(2).toInt();
    }
    if (cutShort(query)) return ArchiveResult<std::map<int64_t, DayRows>>::failure(readFailure(db));
    return counts;
}

// One record row as read (stamp, then the cells; the rank last): its values checked. Nothing for a
// row of a day the month lacks, which is left out; an error naming the row when a value is impossible.
struct RecordValues {
    int64_t stamp = 0;
    int16_t c4 = 0, b7 = 0, b8 = 0;
};
ArchiveResult<std::optional<RecordValues>> recordOf(const QSqlQuery& query, const QString& table,
                                                    qint64 deviceId) {
    using Result = ArchiveResult<std::optional<RecordValues>>;
    const auto stamp = ArchiveCheck::stamp(query.value(0));
    const auto c4 = ArchiveCheck::cell(query.value(1)), b7 = ArchiveCheck::cell(query.value(2)),
               b8 = ArchiveCheck::cell(query.value(3));
    const auto rank = ArchiveCheck::integer(query.value(4), 0, LeqTable::rowCount);
    if (!stamp || !c4 || !b7 || !b8 || !rank || *b7 == 255 || *b8 == 255) {
        QStringList row{QStringLiteral("appareil %1").arg(deviceId)};
        for (int i = 0; i < 5; ++i)
            row << ArchiveCheck::shown(query.value(i));
        return Result::failure(ArchiveCheck::damaged(table, row.join(QStringLiteral(", ")),
                                                     QStringLiteral("valeur impossible")));
    }
    if (!ArchiveCheck::isCalendarDay(*stamp)) return std::optional<RecordValues>();
    return std::optional<RecordValues>(RecordValues{*stamp, *c4, *b7, *b8});
}

template <class Table> void putDate(Table& t, int row, int64_t stamp) {
    t(row, 1) = static_cast<int16_t>(Stamp::minute(stamp));
    t(row, 2) = static_cast<int16_t>(Stamp::hour(stamp));
    t(row, 3) = static_cast<int16_t>(Stamp::day(stamp));
    t(row, 5) = static_cast<int16_t>(Stamp::month(stamp));
    t(row, 6) = static_cast<int16_t>(Stamp::year(stamp));
}

constexpr int kChangeCells = ParamChangeTable::columnCount - 5; // column 4, then columns 7..

void putChange(ParamChangeTable& t, int row, int64_t stamp, const std::vector<int16_t>& cells) {
    putDate(t, row, stamp);
    t(row, 4) = cells[0];
    for (int c = 7; c <= ParamChangeTable::columnCount; ++c)
        t(row, c) = cells[static_cast<std::size_t>(c - 6)];
}

} // namespace

ArchiveResult<QDate> Archive::longestLoadable(qint64 deviceId, const QDate& first, const QDate& last) {
    ArchiveReadTransaction read(*m_db);
    if (!read.ok()) return ArchiveResult<QDate>::failure(readFailure(*m_db));
    const auto generation = deviceGeneration(deviceId);
    if (!generation) return ArchiveResult<QDate>::failure(generation.error());
    if (!first.isValid() || !last.isValid() || first > last || first.year() < 2000 || last.year() > 2098)
        return ArchiveResult<QDate>::failure(QStringLiteral("Période invalide."));
    // The tables of the store bound the period: one row of each table is kept for the context before
    // the period.
    const struct {
        const char* table;
        int rows;
    } capacities[] = {{"levels", ArchiveCheck::maxLevelRows(*generation) - 1},
                      {"events", EventTable::rowCount - 1},
                      {"param_changes", *generation == 3 ? -1 : ParamChangeTable::rowCount - 1}};
    QDate longest = last;
    for (const auto& cap : capacities) {
        if (cap.rows < 0) continue;
        const auto perDay =
            rowsPerDay(*m_db, QLatin1String(cap.table), deviceId, Stamp::dayStart(first), periodEnd(last));
        if (!perDay) return ArchiveResult<QDate>::failure(perDay.error());
        const auto rowsOf = [&](const QDate& d) {
            const auto it = perDay->find(Stamp::dayStart(d) / 10000);
            return it == perDay->end() ? DayRows{} : it->second;
        };
        // Days first..d hold their own rows and the morning of the day after.
        qint64 total = 0;
        for (QDate d = first; d <= longest; d = d.addDays(1)) {
            const DayRows day = rowsOf(d);
            total += day.untilNoon + day.afterNoon;
            if (total + rowsOf(d.addDays(1)).untilNoon > cap.rows) {
                longest = d.addDays(-1);
                break;
            }
        }
    }
    return longest;
}

ArchiveResult<LoadedPeriod> Archive::loadPeriod(qint64 deviceId, const QDate& first, const QDate& last) {
    using Result = ArchiveResult<LoadedPeriod>;
    LoadedPeriod result;
    ArchiveReadTransaction read(*m_db);
    if (!read.ok()) return Result::failure(readFailure(*m_db));
    const auto generation = deviceGeneration(deviceId);
    if (!generation) return Result::failure(generation.error());
    result.generation = *generation;
    const QVariant serial =
        m_db->scalar(QStringLiteral("SELECT serial FROM devices WHERE id = ?"), {deviceId});
    if (serial.typeId() != QMetaType::QString)
        return Result::failure(ArchiveCheck::damaged(QStringLiteral("devices"),
                                                     QStringLiteral("id %1").arg(deviceId),
                                                     QStringLiteral("numéro de série illisible")));
    result.serial = serial.toString();
    const auto longest = longestLoadable(deviceId, first, last);
    if (!longest) return Result::failure(longest.error());
    if (*longest < last)
        return Result::failure(
            *longest < first
                ? QStringLiteral("Le %1 compte à lui seul plus de mesures que la mémoire du programme ne "
                                 "peut en contenir.")
                      .arg(dayText(first))
                : QStringLiteral("La période du %1 au %2 ne tient pas dans la mémoire du programme. La plus "
                                 "longue période qui tient à partir du %1 va jusqu'au %3.")
                      .arg(dayText(first), dayText(last), dayText(*longest)));
    const int64_t from = Stamp::dayStart(first), to = periodEnd(last);
    // The rows read are checked one by one below; rows whose stamp lies beyond every date are not read
    // by any span: look for them.
    for (RecordRows table : {RecordRows::Levels, RecordRows::Events, RecordRows::ParamChanges})
        if (const ArchiveStatus rows =
                ArchiveCheck::recordRows(*m_db, table, deviceId, 1, 0, result.generation);
            !rows)
            return Result::failure(rows.error());
    const int levelRows = ArchiveCheck::maxLevelRows(result.generation);

    DeviceData& data = result.data;
    data.Leq_Records.fill(255);
    data.Event_Records.fill(255);
    data.Param_Change_Records.fill(255);
    data.Param_Block.fill(255);
    data.Param_Block_V3.fill(255);

    QSqlQuery query(m_db->db());
    query.setForwardOnly(true);
    auto run = [&](const QString& sql, const QVariantList& values) {
        return m_db->execPrepared(query, sql, values);
    };
    // More rows than the count of the same snapshot said, or rows that stopped coming: never a period
    // cut short without a word.
    const QString inconsistent = QStringLiteral("Lecture de l'archive impossible : les mesures lues ne "
                                                "correspondent pas à leur décompte.");
    const QVariantList period = {deviceId, qint64(from), qint64(to)};
    int row = 0;
    // Reads the rows of the query into a table; false with the error in failed.
    QString failed;
    auto putRows = [&](auto& table, int capacity, const QString& name, bool whole) {
        while (query.next()) {
            const auto values = recordOf(query, name, deviceId);
            if (!values) {
                failed = values.error();
                return false;
            }
            if (!*values) continue;
            if (row >= capacity) {
                failed = inconsistent;
                return false;
            }
            const RecordValues& r = **values;
            ++row;
            putDate(table, row, r.stamp);
            table(row, 4) = r.c4;
            table(row, 7) = r.b7;
            table(row, 8) = r.b8;
            if (!whole) break;
        }
        if (cutShort(query)) {
            failed = readFailure(*m_db);
            return false;
        }
        return true;
    };
    const QString levels = QStringLiteral("levels"), events = QStringLiteral("events");
    // The level just before the period: a table line starts its ten minutes at the row before it when
    // that row is close enough.
    if (!run(QStringLiteral(
                 "SELECT stamp, c4, b7, b8, dup_rank FROM levels WHERE device_id = ? AND stamp < ? "
                 "ORDER BY stamp DESC, COALESCE(minute_order, -1) DESC, c4 DESC, dup_rank DESC, b7 DESC, "
                 "b8 DESC LIMIT 1"),
             {deviceId, qint64(from)}))
        return Result::failure(readFailure(*m_db));
    if (!putRows(data.Leq_Records, levelRows, levels, false)) return Result::failure(failed);
    if (!run(QStringLiteral("SELECT stamp, c4, b7, b8, dup_rank FROM levels WHERE device_id = ? AND stamp "
                            "BETWEEN ? AND ? "
                            "ORDER BY stamp, COALESCE(minute_order, -1), c4, dup_rank, b7, b8"),
             period))
        return Result::failure(readFailure(*m_db));
    if (!putRows(data.Leq_Records, levelRows, levels, true)) return Result::failure(failed);

    // The last window-state event before the period tells whether the room's window was open at its start.
    row = 0;
    if (!run(
            QStringLiteral(
                "SELECT stamp, c4, b7, b8, dup_rank FROM events WHERE device_id = ? AND stamp < ? AND b7 = 0 "
                "AND b8 IN (32, 64) ORDER BY stamp DESC, COALESCE(minute_order, -1) DESC, dup_rank DESC "
                "LIMIT 1"),
            {deviceId, qint64(from)}))
        return Result::failure(readFailure(*m_db));
    if (!putRows(data.Event_Records, EventTable::rowCount, events, false)) return Result::failure(failed);
    if (!run(QStringLiteral("SELECT stamp, c4, b7, b8, dup_rank FROM events WHERE device_id = ? AND stamp "
                            "BETWEEN ? AND ? "
                            "ORDER BY stamp, COALESCE(minute_order, -1), dup_rank, c4, b7, b8"),
             period))
        return Result::failure(readFailure(*m_db));
    if (!putRows(data.Event_Records, EventTable::rowCount, events, true)) return Result::failure(failed);

    if (result.generation == 5) {
        // The parameter set in force at the start of the period, then its changes.
        row = 0;
        auto putChanges = [&](bool whole) {
            while (query.next()) {
                const auto stamp = ArchiveCheck::stamp(query.value(0));
                const auto cells = ArchiveCheck::changeCells(query.value(1), kChangeCells);
                const auto rank = ArchiveCheck::integer(query.value(2), 0, ParamChangeTable::rowCount);
                if (!stamp || !cells || !rank) {
                    failed = ArchiveCheck::damaged(QStringLiteral("param_changes"),
                                                   QStringLiteral("appareil %1, %2")
                                                       .arg(deviceId)
                                                       .arg(ArchiveCheck::shown(query.value(0))),
                                                   QStringLiteral("valeur impossible"));
                    return false;
                }
                if (!ArchiveCheck::isCalendarDay(*stamp)) continue;
                if (row >= ParamChangeTable::rowCount) {
                    failed = inconsistent;
                    return false;
                }
                putChange(data.Param_Change_Records, ++row, *stamp, *cells);
                if (!whole) break;
            }
            if (cutShort(query)) {
                failed = readFailure(*m_db);
                return false;
            }
            return true;
        };
        if (!run(QStringLiteral("SELECT stamp, cells, dup_rank FROM param_changes WHERE device_id = ? AND "
                                "stamp < ? ORDER BY "
                                "stamp DESC, COALESCE(minute_order, -1) DESC, dup_rank DESC LIMIT 1"),
                 {deviceId, qint64(from)}))
            return Result::failure(readFailure(*m_db));
        if (!putChanges(false)) return Result::failure(failed);
        if (!run(QStringLiteral("SELECT stamp, cells, dup_rank FROM param_changes WHERE device_id = ? AND "
                                "stamp BETWEEN ? AND "
                                "? ORDER BY stamp, COALESCE(minute_order, -1), dup_rank, cells"),
                 period))
            return Result::failure(readFailure(*m_db));
        if (!putChanges(true)) return Result::failure(failed);
    }

    // Parameter zone and transfer date: those of the latest download covering the period's end; when
    // none does (the end lies in a gap, or after the last download), of the latest one holding anything
    // before the end; else of the first one.
    const qint64 end = to;
    if (const ArchiveStatus covers = ArchiveCheck::downloadCovers(*m_db, deviceId); !covers)
        return Result::failure(covers.error());
    if (!run(QStringLiteral(
                 "SELECT param_zone, transfer_date, transfer_time, id FROM downloads WHERE device_id = ? "
                 "ORDER BY CASE WHEN cover_from IS NULL THEN 3 WHEN cover_from <= ? AND cover_to >= ? "
                 "THEN 0 WHEN cover_from <= ? THEN 1 ELSE 2 END, CASE WHEN cover_from <= ? THEN -cover_to "
                 "ELSE cover_from END, id DESC LIMIT 1"),
             {deviceId, end, end, end, end}))
        return Result::failure(readFailure(*m_db));
    if (!query.next()) {
        if (cutShort(query)) return Result::failure(readFailure(*m_db));
        return Result::failure(
            QStringLiteral("Le bloc de paramètres archivé de cet appareil est illisible."));
    }
    if (query.value(0).typeId() != QMetaType::QByteArray ||
        !RestoreParamZone(query.value(0).toByteArray(), result.generation, data) ||
        !ArchiveCheck::isTransferText(query.value(1)) || !ArchiveCheck::isTransferText(query.value(2)))
        return Result::failure(ArchiveCheck::damaged(
            QStringLiteral("downloads"), QStringLiteral("id ") + ArchiveCheck::shown(query.value(3)),
            QStringLiteral("bloc de paramètres illisible")));
    data.Transfer_Date = query.value(1).toString();
    data.Transfer_Time = query.value(2).toString();
    // The data ends at the period's last noon at the latest: a later transfer time would claim the
    // hours after it, which the image does not hold.
    const QDateTime noon = periodNoon(last);
    if (TransferDateTime(data.Transfer_Date, data.Transfer_Time) > noon) {
        data.Transfer_Date = noon.date().toString(QStringLiteral("dd/MM/yyyy"));
        data.Transfer_Time =
            data.Transfer_Time.size() > 5 ? QStringLiteral("12:00:00") : QStringLiteral("12:00");
    }
    return result;
}

ArchiveStatus ExtractPeriodToFile(Archive& archive, qint64 deviceId, const QDate& first, const QDate& last,
                                  const QString& path) {
    auto period = archive.loadPeriod(deviceId, first, last);
    if (!period) return ArchiveStatus::failure(period.error());
    auto store = std::make_unique<DataStore>();
    store->commitPeriod(std::move(period->data), first, last);
    store->Device_Version = static_cast<int16_t>(period->generation);
    QString why;
    if (!WriteSaveFile(*store, path, period->generation, period->generation == 3 ? 4096 : LeqTable::rowCount,
                       {}, &why))
        return ArchiveStatus::failure(
            QStringLiteral("Impossible d'écrire le fichier %1 : %2").arg(path, why));
    return ArchiveOk();
}

ImportResult ImportSaveFile(Archive& archive, const QString& path, const QString& sourceName) {
    // The bytes kept as evidence are those the data was read from, whatever the file holds by now.
    const SaveFileRead read = ReadSaveFile(path);
    if (!read.ok())
        return ImportResult::failure(read.problem->title + QStringLiteral(" : ") + read.problem->text);
    if (read.bytes.isEmpty())
        return ImportResult::failure(QStringLiteral("Impossible de lire le fichier ") + path);
    return archive.importDownload(
        read.data, read.generation,
        {SourceKind::File, sourceName.isEmpty() ? QFileInfo(path).absoluteFilePath() : sourceName},
        read.bytes);
}

ImportResult ArchiveFinishedTransfer(const DataStore& store, const QString& locationText,
                                     const QString& portName) {
    const auto location = ResolveArchiveLocation(locationText);
    if (!location) return ImportResult::failure(location.error());
    if (location->isOff()) {
        ImportOutcome off;
        off.status = ImportStatus::Disabled;
        return off;
    }
    const auto archive = Archive::open(*location);
    if (!archive) return ImportResult::failure(archive.error());
    return ArchiveTransferredData(**archive, store.deviceData(), store.Device_Version, portName);
}

ImportResult ArchiveTransferredData(Archive& archive, const DeviceData& data, int generation,
                                    const QString& portName) {
    return archive.importDownload(data, generation, {SourceKind::Transfer, portName});
}

QString ImportResultText(const ImportResult& result) {
    if (!result)
        return QStringLiteral("Archivage impossible : %1 Les données restent en mémoire.")
            .arg(result.error());
    switch (result->status) {
    case ImportStatus::Imported:
        return QStringLiteral("Archivé : %1 nouvelles mesures, %2 nouveaux événements, %3 mesures déjà dans "
                              "l'archive%4")
            .arg(result->added.levels())
            .arg(result->added.events)
            .arg(result->duplicates.levels())
            .arg(result->transferBeforeRecords
                     ? QStringLiteral(
                           " (heure du transfert avant le dernier relevé : vérifiez l'horloge du PC "
                           "et celle de l'appareil)")
                     : QString());
    case ImportStatus::AlreadyArchived:
        return QStringLiteral("Déjà dans l'archive");
    case ImportStatus::Disabled:
        break;
    }
    return QStringLiteral("Archivage désactivé");
}
