// A period of the archive back into a memory image, and the ways into and out of the archive that
// the window and vorl-cli share.
#include "core/archive/Archive.h"
#include "core/archive/ArchiveDatabase.h"
#include "core/archive/ArchiveRecords.h"
#include "core/files/SaveFile.h"
#include "core/platform/MainShell.h"
#include "core/platform/UiServices.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>
#include <map>

namespace {

QString dayText(const QDate& d) {
    return d.toString(QStringLiteral("dd/MM/yyyy"));
}

// Counts of rows per day (yymmdd) of one table over the period.
std::map<int64_t, int> rowsPerDay(ArchiveDatabase& db, const QString& table, qint64 deviceId, int64_t from,
                                  int64_t to) {
    std::map<int64_t, int> counts;
    QSqlQuery query(db.db());
    query.prepare(
        QStringLiteral("SELECT stamp / 10000, count(*) FROM %1 WHERE device_id = ? AND stamp BETWEEN ? "
                       "AND ? GROUP BY stamp / 10000")
            .arg(table));
    query.addBindValue(deviceId);
    query.addBindValue(qint64(from));
    query.addBindValue(qint64(to));
    if (db.execPrepared(query))
        while (query.next())
            counts[query.value(0).toLongLong()] = query.value(1).toInt();
    return counts;
}

template <class Table> void putDate(Table& t, int row, int64_t stamp) {
    t(row, 1) = static_cast<int16_t>(Stamp::minute(stamp));
    t(row, 2) = static_cast<int16_t>(Stamp::hour(stamp));
    t(row, 3) = static_cast<int16_t>(Stamp::day(stamp));
    t(row, 5) = static_cast<int16_t>(Stamp::month(stamp));
    t(row, 6) = static_cast<int16_t>(Stamp::year(stamp));
}

void putChange(ParamChangeTable& t, int row, int64_t stamp, const QString& cells) {
    putDate(t, row, stamp);
    const QStringList parts = cells.split(QLatin1Char(','));
    t(row, 4) = static_cast<int16_t>(parts.value(0).toInt());
    for (int c = 7; c <= ParamChangeTable::columnCount; ++c)
        t(row, c) = static_cast<int16_t>(parts.value(c - 6).toInt());
}

class SilentUi : public UiServices {
public:
    void message(MessageIcon, const QString& title, const QString& text) override {
        said = title + QStringLiteral(" : ") + text;
    }
    std::optional<QString> openFileName(const QString&, const QString&) override { return std::nullopt; }
    std::optional<QString> saveFileName(const QString&, const QString&) override { return std::nullopt; }
    void setBusyCursor(bool) override {}
    QString said;
};

class NoShell : public MainShell {
public:
    void setCaption(const QString&) override {}
    QString caption() const override { return {}; }
    void setMenuEnabled(MenuEntry, bool) override {}
    bool isMenuEnabled(MenuEntry) const override { return true; }
    void setMainEnabled(bool) override {}
    bool isMainEnabled() const override { return true; }
};

} // namespace

LoadedPeriod Archive::loadPeriod(qint64 deviceId, const QDate& first, const QDate& last) {
    LoadedPeriod result;
    m_db->clearError();
    const QVariant generation =
        m_db->scalar(QStringLiteral("SELECT generation FROM devices WHERE id = ?"), {deviceId});
    if (!generation.isValid()) {
        result.error = QStringLiteral("Appareil inconnu dans l'archive.");
        return result;
    }
    result.generation = generation.toInt();
    result.serial =
        m_db->scalar(QStringLiteral("SELECT serial FROM devices WHERE id = ?"), {deviceId}).toString();
    if (!first.isValid() || !last.isValid() || first > last || first.year() < 2000 || last.year() > 2098) {
        result.error = QStringLiteral("Période invalide.");
        return result;
    }
    const int64_t from = Stamp::dayStart(first), to = Stamp::dayEnd(last);

    // The tables of the store bound the period: one row of each table is kept for the context before
    // the period.
    const int levelRows = result.generation == 3 ? 4096 : LeqTable::rowCount;
    struct Capacity {
        QString table;
        int rows;
    };
    const std::vector<Capacity> capacities = {
        {QStringLiteral("levels"), levelRows - 1},
        {QStringLiteral("events"), EventTable::rowCount - 1},
        {QStringLiteral("param_changes"), ParamChangeTable::rowCount - 1}};
    QDate longest = last;
    for (const Capacity& cap : capacities) {
        if (result.generation == 3 && cap.table == QLatin1String("param_changes")) continue;
        const std::map<int64_t, int> perDay = rowsPerDay(*m_db, cap.table, deviceId, from, to);
        int total = 0;
        for (QDate d = first; d <= longest; d = d.addDays(1)) {
            const auto it = perDay.find(Stamp::dayStart(d) / 10000);
            total += it == perDay.end() ? 0 : it->second;
            if (total > cap.rows) {
                longest = d.addDays(-1);
                break;
            }
        }
    }
    if (!m_db->lastError().isEmpty()) {
        result.error = QStringLiteral("Lecture de l'archive impossible : ") + m_db->lastError();
        return result;
    }
    if (longest < last) {
        result.longestLast = longest;
        result.error =
            longest < first
                ? QStringLiteral("Le %1 compte à lui seul plus de mesures que la mémoire du programme ne "
                                 "peut en contenir.")
                      .arg(dayText(first))
                : QStringLiteral("La période du %1 au %2 ne tient pas dans la mémoire du programme. La plus "
                                 "longue période qui tient à partir du %1 va jusqu'au %3.")
                      .arg(dayText(first), dayText(last), dayText(longest));
        return result;
    }

    DeviceData& data = result.data;
    data.Leq_Records.fill(255);
    data.Event_Records.fill(255);
    data.Param_Change_Records.fill(255);
    data.Param_Block.fill(255);
    data.Param_Block_V3.fill(255);

    QSqlQuery query(m_db->db());
    query.setForwardOnly(true);
    auto run = [&](const QString& sql, const QVariantList& values) {
        query.prepare(sql);
        for (const QVariant& v : values)
            query.addBindValue(v);
        return m_db->execPrepared(query);
    };
    auto readFailed = [&] {
        result.error = QStringLiteral("Lecture de l'archive impossible : ") + m_db->lastError();
        result.data = DeviceData{};
        return result;
    };
    const QVariantList period = {deviceId, qint64(from), qint64(to)};
    int row = 0;
    auto putLevel = [&] {
        ++row;
        putDate(data.Leq_Records, row, query.value(0).toLongLong());
        data.Leq_Records(row, 4) = static_cast<int16_t>(query.value(1).toInt());
        data.Leq_Records(row, 7) = static_cast<int16_t>(query.value(2).toInt());
        data.Leq_Records(row, 8) = static_cast<int16_t>(query.value(3).toInt());
    };
    // The level just before the period: a table line starts its ten minutes at the row before it when
    // that row is close enough.
    if (!run(QStringLiteral(
                 "SELECT stamp, c4, b7, b8 FROM levels WHERE device_id = ? AND stamp < ? ORDER BY "
                 "stamp DESC, COALESCE(minute_order, -1) DESC, c4 DESC, dup_rank DESC, b7 DESC, b8 DESC "
                 "LIMIT 1"),
             {deviceId, qint64(from)}))
        return readFailed();
    if (query.next()) putLevel();
    if (!run(QStringLiteral(
                 "SELECT stamp, c4, b7, b8 FROM levels WHERE device_id = ? AND stamp BETWEEN ? AND ? "
                 "ORDER BY stamp, COALESCE(minute_order, -1), c4, dup_rank, b7, b8"),
             period))
        return readFailed();
    while (query.next() && row < levelRows)
        putLevel();

    // The last window-state event before the period tells whether the room's window was open at its start.
    row = 0;
    if (!run(
            QStringLiteral(
                "SELECT stamp, c4, b7, b8 FROM events WHERE device_id = ? AND stamp < ? AND b7 = 0 AND "
                "b8 IN (32, 64) ORDER BY stamp DESC, COALESCE(minute_order, -1) DESC, dup_rank DESC LIMIT 1"),
            {deviceId, qint64(from)}))
        return readFailed();
    auto putEvent = [&] {
        ++row;
        putDate(data.Event_Records, row, query.value(0).toLongLong());
        for (int c : {4, 7, 8})
            data.Event_Records(row, c) = static_cast<int16_t>(query.value(c == 4 ? 1 : c - 5).toInt());
    };
    if (query.next()) putEvent();
    if (!run(QStringLiteral(
                 "SELECT stamp, c4, b7, b8 FROM events WHERE device_id = ? AND stamp BETWEEN ? AND ? "
                 "ORDER BY stamp, COALESCE(minute_order, -1), dup_rank, c4, b7, b8"),
             period))
        return readFailed();
    while (query.next() && row < EventTable::rowCount)
        putEvent();

    if (result.generation == 5) {
        // The parameter set in force at the start of the period, then its changes.
        row = 0;
        if (!run(QStringLiteral(
                     "SELECT stamp, cells FROM param_changes WHERE device_id = ? AND stamp < ? ORDER BY "
                     "stamp DESC, COALESCE(minute_order, -1) DESC, dup_rank DESC LIMIT 1"),
                 {deviceId, qint64(from)}))
            return readFailed();
        if (query.next())
            putChange(data.Param_Change_Records, ++row, query.value(0).toLongLong(),
                      query.value(1).toString());
        if (!run(QStringLiteral(
                     "SELECT stamp, cells FROM param_changes WHERE device_id = ? AND stamp BETWEEN ? AND "
                     "? ORDER BY stamp, COALESCE(minute_order, -1), dup_rank, cells"),
                 period))
            return readFailed();
        while (query.next() && row < ParamChangeTable::rowCount)
            putChange(data.Param_Change_Records, ++row, query.value(0).toLongLong(),
                      query.value(1).toString());
    }

    // Parameter zone and transfer date: those of the latest download covering the period's end; when
    // none does (the end lies in a gap, or after the last download), of the latest one holding anything
    // before the end; else of the first one.
    const qint64 end = to;
    if (!run(QStringLiteral(
                 "SELECT param_zone, transfer_date, transfer_time FROM downloads WHERE device_id = ? "
                 "ORDER BY CASE WHEN cover_from IS NULL THEN 3 WHEN cover_from <= ? AND cover_to >= ? "
                 "THEN 0 WHEN cover_from <= ? THEN 1 ELSE 2 END, CASE WHEN cover_from <= ? THEN -cover_to "
                 "ELSE cover_from END, id DESC LIMIT 1"),
             {deviceId, end, end, end, end}))
        return readFailed();
    if (!query.next() || !RestoreParamZone(query.value(0).toByteArray(), result.generation, data)) {
        result.error = QStringLiteral("Le bloc de paramètres archivé de cet appareil est illisible.");
        return result;
    }
    data.Transfer_Date = query.value(1).toString();
    data.Transfer_Time = query.value(2).toString();
    result.ok = true;
    return result;
}

bool ExtractPeriodToFile(Archive& archive, qint64 deviceId, const QDate& first, const QDate& last,
                         const QString& path, QString* error) {
    LoadedPeriod period = archive.loadPeriod(deviceId, first, last);
    if (!period.ok) {
        if (error) *error = period.error;
        return false;
    }
    auto store = std::make_unique<DataStore>();
    store->commit(std::move(period.data));
    store->Device_Version = static_cast<int16_t>(period.generation);
    QString why;
    if (!WriteSaveFile(*store, path, period.generation, period.generation == 3 ? 4096 : LeqTable::rowCount,
                       {}, &why)) {
        if (error) *error = QStringLiteral("Impossible d'écrire le fichier %1 : %2").arg(path, why);
        return false;
    }
    return true;
}

ImportResult ImportSaveFile(Archive& archive, const QString& path, const QString& sourceName) {
    ImportResult result;
    // The reader shows its messages: here they become the reason of the failed import.
    SilentUi ui;
    NoShell shell;
    auto store = std::make_unique<DataStore>();
    if (!LoadSaveFile(*store, path, ui, shell)) {
        result.error = ui.said.isEmpty() ? QStringLiteral("Impossible de lire le fichier ") + path : ui.said;
        return result;
    }
    QFile file(path);
    QByteArray bytes;
    if (file.open(QIODevice::ReadOnly)) bytes = file.readAll();
    if (bytes.isEmpty()) {
        result.error = QStringLiteral("Impossible de lire le fichier ") + path;
        return result;
    }
    return archive.importDownload(
        store->deviceData(), store->Device_Version,
        {SourceKind::File, sourceName.isEmpty() ? QFileInfo(path).absoluteFilePath() : sourceName}, bytes);
}

ImportResult ArchiveFinishedTransfer(const DataStore& store, const QString& locationText,
                                     const QString& portName) {
    ImportResult result;
    ArchiveLocation location;
    if (!ResolveArchiveLocation(locationText, location, &result.error)) return result;
    if (location.isOff()) {
        result.status = ImportStatus::Disabled;
        return result;
    }
    const auto archive = Archive::open(location, &result.error);
    if (!archive) return result;
    return archive->importDownload(store.deviceData(), store.Device_Version,
                                   {SourceKind::Transfer, portName});
}

QString ImportResultText(const ImportResult& result) {
    switch (result.status) {
    case ImportStatus::Imported:
        return QStringLiteral("Archivé : %1 mesures nouvelles, %2 déjà archivées, %3 événements nouveaux%4")
            .arg(result.added.levels())
            .arg(result.duplicates.levels())
            .arg(result.added.events)
            .arg(result.transferBeforeRecords
                     ? QStringLiteral(
                           " (heure du transfert avant le dernier relevé : vérifiez l'horloge du PC "
                           "et celle de l'appareil)")
                     : QString());
    case ImportStatus::AlreadyArchived:
        return QStringLiteral("Déjà archivé (téléchargement %1)").arg(result.downloadId);
    case ImportStatus::Disabled:
        return QStringLiteral("Archivage désactivé");
    case ImportStatus::Failed:
        break;
    }
    return QStringLiteral("Archivage impossible : %1 Les données restent en mémoire.").arg(result.error);
}
