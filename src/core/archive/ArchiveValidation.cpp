#include "core/archive/ArchiveValidation.h"

#include "core/archive/ArchiveDatabase.h"
#include "core/archive/ArchiveRecords.h"
#include "core/archive/ArchiveResult.h"
#include "core/store/Validity.h"

#include <QDate>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringList>
#include <limits>
#include <memory>

namespace ArchiveCheck {

QString damaged(const QString& table, const QString& row, const QString& what) {
    return QStringLiteral("Archive endommagée : table %1, ligne %2 : %3.").arg(table, row, what);
}

std::optional<qint64> integer(const QVariant& value, qint64 low, qint64 high) {
    // A driver gives integer columns as integers; text, a fraction, a blob or a null is not one.
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
        break;
    case QMetaType::ULongLong:
        if (value.toULongLong() > static_cast<qulonglong>(high)) return std::nullopt;
        break;
    default:
        return std::nullopt;
    }
    if (value.isNull()) return std::nullopt;
    const qint64 v = value.toLongLong();
    if (v < low || v > high) return std::nullopt;
    return v;
}

bool isStamp(int64_t s) {
    if (s < 0 || s > Stamp::of(98, 12, 31, 23, 59)) return false;
    return isValidRecordDate(Stamp::minute(s), Stamp::hour(s), Stamp::day(s), Stamp::month(s),
                             Stamp::year(s));
}

bool isCalendarDay(int64_t s) {
    return isStamp(s) && QDate::isValid(2000 + Stamp::year(s), Stamp::month(s), Stamp::day(s));
}

std::optional<int64_t> stamp(const QVariant& value) {
    const auto v = integer(value, 0, Stamp::of(98, 12, 31, 23, 59));
    if (!v || !isStamp(*v)) return std::nullopt;
    return *v;
}

std::optional<int16_t> cell(const QVariant& value) {
    const auto v = integer(value, -32768, 32767);
    if (!v) return std::nullopt;
    return static_cast<int16_t>(*v);
}

bool isGeneration(qint64 generation) {
    return generation == 3 || generation == 5;
}

std::optional<std::vector<int16_t>> changeCells(const QVariant& value, int count) {
    if (value.typeId() != QMetaType::QString) return std::nullopt;
    const QStringList parts = value.toString().split(QLatin1Char(','));
    if (parts.size() != count) return std::nullopt;
    std::vector<int16_t> cells;
    cells.reserve(static_cast<std::size_t>(count));
    for (const QString& part : parts) {
        bool ok = false;
        const int v = part.toInt(&ok);
        // Only the digits this program writes: no sign but '-', no spaces, no leading '+'.
        if (!ok || v < -32768 || v > 32767 || part != QString::number(v)) return std::nullopt;
        cells.push_back(static_cast<int16_t>(v));
    }
    return cells;
}

std::optional<std::array<int16_t, 8>> serialCells(const QVariant& value) {
    const auto cells = changeCells(value, 8);
    if (!cells) return std::nullopt;
    std::array<int16_t, 8> result{};
    std::copy(cells->begin(), cells->end(), result.begin());
    return result;
}

bool isTransferText(const QVariant& value) {
    if (value.typeId() != QMetaType::QString) return false;
    const QString text = value.toString();
    if (text.size() > 32) return false;
    for (const QChar c : text)
        if (c.unicode() <= 0x20 || c == QLatin1Char('_') || c.unicode() == 0x7F || c.unicode() > 0x7E)
            return false;
    return true;
}

bool isSha256(const QVariant& value) {
    if (value.typeId() != QMetaType::QString) return false;
    const QString text = value.toString();
    if (text.size() != 64) return false;
    for (const QChar c : text)
        if (!((c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
              (c >= QLatin1Char('a') && c <= QLatin1Char('f'))))
            return false;
    return true;
}

std::optional<QByteArray> unpacked(const QVariant& value, qsizetype expectedSize, qsizetype maxSize) {
    if (value.typeId() != QMetaType::QByteArray) return std::nullopt;
    const QByteArray packed = value.toByteArray();
    if (packed.size() < 5) return std::nullopt;
    // qCompress puts the unpacked size first, big-endian.
    const quint32 announced = (quint32(quint8(packed[0])) << 24) | (quint32(quint8(packed[1])) << 16) |
                              (quint32(quint8(packed[2])) << 8) | quint32(quint8(packed[3]));
    if (expectedSize >= 0 ? announced != quint32(expectedSize) : announced > quint32(maxSize))
        return std::nullopt;
    QByteArray bytes = qUncompress(packed);
    if (bytes.size() != qsizetype(announced) || (announced == 0 && !bytes.isEmpty())) return std::nullopt;
    return bytes;
}

std::optional<QDateTime> stampTime(const QVariant& v) {
    if (v.isNull()) return QDateTime();
    const auto s = stamp(v);
    if (!s || !isCalendarDay(*s)) return std::nullopt;
    return Stamp::toDateTime(*s);
}

QString downloadRowProblem(const QSqlQuery& q, int first) {
    const auto v = [&](int i) { return q.value(first + i); };
    if (!integer(v(0), 1, std::numeric_limits<qint64>::max()) ||
        !integer(v(1), 1, std::numeric_limits<qint64>::max()))
        return QStringLiteral("identifiant impossible");
    if (!integer(v(2), 0, 1)) return QStringLiteral("origine inconnue");
    if (v(3).typeId() != QMetaType::QString) return QStringLiteral("nom de la source illisible");
    if (v(4).typeId() != QMetaType::QString || !QDateTime::fromString(v(4).toString(), Qt::ISODate).isValid())
        return QStringLiteral("date d'import illisible");
    if (!isTransferText(v(5)) || !isTransferText(v(6))) return QStringLiteral("date de transfert illisible");
    const auto from = stampTime(v(7)), to = stampTime(v(8));
    if (!from || !to || from->isNull() != to->isNull() || (!from->isNull() && *from > *to))
        return QStringLiteral("couverture impossible");
    const int limits[] = {maxLevelRows(5), maxLevelRows(5), maxLevelRows(5), maxEventRows(), maxChangeRows()};
    qint64 levels = 0;
    for (int i = 0; i < 5; ++i) {
        const auto n = integer(v(9 + i), 0, limits[i]);
        if (!n) return QStringLiteral("nombre de mesures impossible");
        if (i < 3) levels += *n;
    }
    if (levels > maxLevelRows(5)) return QStringLiteral("nombre de mesures impossible");
    if (!isSha256(v(14))) return QStringLiteral("empreinte illisible");
    if (!integer(v(15), 0, kMaxOriginalSize)) return QStringLiteral("taille d'origine impossible");
    return {};
}

int maxLevelRows(int generation) {
    return generation == 3 ? 4096 : LeqTable::rowCount;
}
int maxEventRows() {
    return EventTable::rowCount;
}
int maxChangeRows() {
    return ParamChangeTable::rowCount;
}

QString shown(const QVariant& value) {
    QString text = value.toString().left(40);
    for (QChar& c : text)
        if (c.category() == QChar::Other_Control || c.category() == QChar::Other_Format) c = QLatin1Char('?');
    return text;
}

namespace {

QString integerSql(bool sqlite, const QString& column, qint64 low, qint64 high) {
    const QString range = QStringLiteral("%1 BETWEEN %2 AND %3").arg(column).arg(low).arg(high);
    return sqlite ? QStringLiteral("(typeof(%1) = 'integer' AND %2)").arg(column, range) : range;
}

QString stampSql(bool sqlite, const QString& column) {
    return integerSql(sqlite, column, 0, Stamp::of(98, 12, 31, 23, 59)) +
           QStringLiteral(" AND %1 % 100 <= 59 AND %1 / 100 % 100 <= 23 AND %1 / 10000 % 100 BETWEEN 1 AND "
                          "31 AND %1 / 1000000 % 100 BETWEEN 1 AND 12")
               .arg(column);
}

QString cellsSql(bool sqlite, const QString& a) {
    QStringList parts;
    for (const char* name : {"c4", "b7", "b8"})
        parts << integerSql(sqlite, a + QLatin1String(name), -32768, 32767);
    parts << QStringLiteral("%1b7 <> 255 AND %1b8 <> 255").arg(a);
    parts << integerSql(sqlite, a + QStringLiteral("dup_rank"), 0, LeqTable::rowCount);
    parts << integerSql(sqlite, a + QStringLiteral("download_id"), 1, std::numeric_limits<qint64>::max());
    return parts.join(QStringLiteral(" AND "));
}
} // namespace

QString validLevelRowSql(bool sqlite, int generation, const QString& a) {
    const QString level = generation == 3 ? QStringLiteral("%1b7 * 100 + %1b8").arg(a)
                                          : QStringLiteral("%1b8 * 100 + %1b7").arg(a);
    return QStringLiteral("(%1 AND %2 AND %3level = %4)")
        .arg(stampSql(sqlite, a + QStringLiteral("stamp")), cellsSql(sqlite, a), a, level);
}

QString validEventRowSql(bool sqlite, const QString& a) {
    return QStringLiteral("(%1 AND %2)")
        .arg(stampSql(sqlite, a + QStringLiteral("stamp")), cellsSql(sqlite, a));
}

QString validChangeRowSql(bool sqlite, const QString& a) {
    QString sql =
        stampSql(sqlite, a + QStringLiteral("stamp")) + QStringLiteral(" AND ") +
        integerSql(sqlite, a + QStringLiteral("dup_rank"), 0, ParamChangeTable::rowCount) +
        QStringLiteral(" AND ") +
        integerSql(sqlite, a + QStringLiteral("download_id"), 1, std::numeric_limits<qint64>::max());
    if (sqlite) sql += QStringLiteral(" AND typeof(%1cells) = 'text'").arg(a);
    return QLatin1Char('(') + sql + QLatin1Char(')');
}

ArchiveStatus recordRows(ArchiveDatabase& db, RecordRows table, qint64 deviceId, int64_t from, int64_t to,
                         int generation) {
    const bool sqlite = db.isSqlite();
    QString name, valid, key;
    switch (table) {
    case RecordRows::Levels:
        name = QStringLiteral("levels");
        valid = validLevelRowSql(sqlite, generation);
        key = QStringLiteral("stamp, c4, b7, b8, dup_rank");
        break;
    case RecordRows::Events:
        name = QStringLiteral("events");
        valid = validEventRowSql(sqlite);
        key = QStringLiteral("stamp, c4, b7, b8, dup_rank");
        break;
    case RecordRows::ParamChanges:
        name = QStringLiteral("param_changes");
        valid = validChangeRowSql(sqlite);
        key = QStringLiteral("stamp, cells, dup_rank");
        break;
    }
    QSqlQuery query(db.db());
    query.setForwardOnly(true);
    // Every row of the device (verify) or those of a span of stamps.
    const bool all = from == std::numeric_limits<int64_t>::min();
    // Then, the rows whose stamp lies beyond every date (below zero, past 31/12/2098 23:59, or not a
    // number): no span of dates would meet them, so a read of any span looks for them (two index seeks).
    const QString within = all ? QString() : QStringLiteral("AND stamp BETWEEN ? AND ?");
    const QString beyond = QStringLiteral("AND (stamp < 0 OR stamp > %1)").arg(Stamp::of(98, 12, 31, 23, 59));
    for (const QString& rows : {within, beyond}) {
        if (all && rows == beyond) break;
        query.prepare(QStringLiteral("SELECT %1 FROM %2 WHERE device_id = ? %4 AND NOT %3 LIMIT 1")
                          .arg(key, name, valid, rows));
        query.addBindValue(deviceId);
        if (rows == within && !all) {
            query.addBindValue(qint64(from));
            query.addBindValue(qint64(to));
        }
        if (!db.execPrepared(query))
            return ArchiveStatus::failure(QStringLiteral("Lecture de l'archive impossible : ") +
                                          db.lastError());
        if (!query.next()) continue;
        QStringList values{QStringLiteral("appareil %1").arg(deviceId)};
        for (int i = 0; i < query.record().count(); ++i)
            values << shown(query.value(i));
        return ArchiveStatus::failure(
            damaged(name, values.join(QStringLiteral(", ")), QStringLiteral("valeur impossible")));
    }
    return ArchiveOk();
}

ArchiveStatus downloadCovers(ArchiveDatabase& db, qint64 deviceId) {
    const bool sqlite = db.isSqlite();
    QSqlQuery query(db.db());
    query.setForwardOnly(true);
    query.prepare(
        QStringLiteral("SELECT id FROM downloads WHERE device_id = ? AND NOT ((cover_from IS NULL AND "
                       "cover_to IS NULL) OR (%1 AND %2 AND cover_from <= cover_to)) LIMIT 1")
            .arg(stampSql(sqlite, QStringLiteral("cover_from")),
                 stampSql(sqlite, QStringLiteral("cover_to"))));
    query.addBindValue(deviceId);
    if (!db.execPrepared(query))
        return ArchiveStatus::failure(QStringLiteral("Lecture de l'archive impossible : ") + db.lastError());
    if (!query.next()) return ArchiveOk();
    return ArchiveStatus::failure(damaged(QStringLiteral("downloads"),
                                          QStringLiteral("id ") + shown(query.value(0)),
                                          QStringLiteral("couverture impossible")));
}

} // namespace ArchiveCheck

namespace ArchiveCheck {

ArchiveResult<QStringList> damagedRows(ArchiveDatabase& db) {
    using Result = ArchiveResult<QStringList>;
    const auto failed = [&db] {
        return Result::failure(QStringLiteral("Lecture de l'archive impossible : ") + db.lastError());
    };
    QStringList problems;
    std::vector<std::pair<qint64, int>> devices;
    QSqlQuery query(db.db());
    query.setForwardOnly(true);
    if (!db.exec(query,
                 QStringLiteral("SELECT id, generation, serial_cells, serial FROM devices ORDER BY id")))
        return failed();
    while (query.next()) {
        const auto id = integer(query.value(0), 1, std::numeric_limits<qint64>::max());
        const auto generation = integer(query.value(1), 3, 5);
        const QString row = QStringLiteral("id ") + shown(query.value(0));
        if (!id)
            problems << damaged(QStringLiteral("devices"), row, QStringLiteral("identifiant impossible"));
        else if (!generation || !isGeneration(*generation))
            problems << damaged(QStringLiteral("devices"), row, QStringLiteral("génération inconnue"));
        else if (!serialCells(query.value(2)) || query.value(3).typeId() != QMetaType::QString)
            problems << damaged(QStringLiteral("devices"), row, QStringLiteral("numéro de série illisible"));
        else
            devices.push_back({*id, static_cast<int>(*generation)});
    }
    if (query.lastError().type() != QSqlError::NoError) return failed();

    if (!db.exec(query,
                 QStringLiteral(
                     "SELECT w.id, w.device_id, w.source_kind, w.source_name, w.imported_at, "
                     "w.transfer_date, w.transfer_time, w.cover_from, w.cover_to, w.n_leq, w.n_leq1, "
                     "w.n_leq10, w.n_events, w.n_changes, w.sha256, w.original_size, d.generation, "
                     "w.param_zone, w.original FROM downloads w LEFT JOIN devices d ON d.id = w.device_id "
                     "ORDER BY w.id")))
        return failed();
    while (query.next()) {
        const QString row = QStringLiteral("id ") + shown(query.value(0));
        QString problem = downloadRowProblem(query, 0);
        auto zone = std::make_unique<DeviceData>();
        const auto generation = integer(query.value(16), 3, 5);
        if (problem.isEmpty() && (!generation || query.value(17).typeId() != QMetaType::QByteArray ||
                                  !RestoreParamZone(query.value(17).toByteArray(), int(*generation), *zone)))
            problem = QStringLiteral("bloc de paramètres illisible");
        if (problem.isEmpty() && !unpacked(query.value(18), query.value(15).toLongLong()))
            problem = QStringLiteral("octets d'origine endommagés");
        if (!problem.isEmpty()) problems << damaged(QStringLiteral("downloads"), row, problem);
    }
    if (query.lastError().type() != QSqlError::NoError) return failed();
    query.finish();

    for (const auto& [id, generation] : devices)
        for (RecordRows table : {RecordRows::Levels, RecordRows::Events, RecordRows::ParamChanges}) {
            const ArchiveStatus rows =
                recordRows(db, table, id, std::numeric_limits<int64_t>::min(), 0, generation);
            if (!rows) problems << rows.error();
        }
    // The text cells of the parameter changes, which SQL does not check.
    if (!db.exec(query, QStringLiteral("SELECT device_id, stamp, cells FROM param_changes"))) return failed();
    while (query.next())
        if (!changeCells(query.value(2), ParamChangeTable::columnCount - 5)) {
            problems << damaged(
                QStringLiteral("param_changes"),
                QStringLiteral("appareil %1, %2").arg(shown(query.value(0)), shown(query.value(1))),
                QStringLiteral("valeur impossible"));
            break;
        }
    if (query.lastError().type() != QSqlError::NoError) return failed();
    // Rows of a device the archive does not know are read by nobody.
    for (const char* table : {"levels", "events", "param_changes", "downloads"}) {
        if (!db.exec(query, QStringLiteral("SELECT count(*) FROM %1 WHERE device_id NOT IN (SELECT id FROM "
                                           "devices)")
                                .arg(QLatin1String(table))) ||
            !query.next())
            return failed();
        if (query.value(0).toLongLong() > 0)
            problems << QStringLiteral("Table %1 : %2 lignes d'un appareil inconnu")
                            .arg(QLatin1String(table))
                            .arg(query.value(0).toLongLong());
    }
    return problems;
}

} // namespace ArchiveCheck
