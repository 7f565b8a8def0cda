#include "ScratchArchive.h"
#include "TinyDownloads.h"

#include "core/archive/ArchiveRecords.h"

#include <QRegularExpression>
#include <QSqlError>

namespace {
class DamagedArchives : public ArchiveOnEngine {};
INSTANTIATE_TEST_SUITE_P(Engines, DamagedArchives, ::testing::Values(Engine::Sqlite, Engine::Postgres),
                         engineName);

// Two downloads with levels, events and a parameter change around the 4th.
std::vector<DeviceData> damagedFixture() {
    DeviceData first = tinyDownload(7, {{at(3, 22, 0), 10, 80}, {at(4, 9, 0), 10, 81}, {at(4, 9, 1), 1, 83}},
                                    at(5, 9, 0), {{at(4, 1, 0), 32}});
    DeviceData second = tinyDownload(7, {{at(4, 9, 0), 10, 81}, {at(5, 22, 0), 10, 99}}, at(6, 9, 0));
    for (DeviceData* d : {&first, &second}) {
        ParamChangeTable& t = d->Param_Change_Records;
        t(1, 1) = 30, t(1, 2) = 8, t(1, 3) = 4, t(1, 5) = 10, t(1, 6) = 26;
        for (int c = 7; c <= ParamChangeTable::columnCount; ++c)
            t(1, c) = static_cast<int16_t>(c);
        t(1, 4) = 1;
    }
    return {first, second};
}

// Everything the readers give back, as text; "error" for a refusal.
QStringList damagedReads(Archive& archive, qint64 device, const std::vector<qint64>& downloads) {
    QStringList out;
    const auto devices = archive.devices();
    QString text;
    if (devices)
        for (const ArchivedDevice& d : *devices)
            text +=
                QStringLiteral("%1 %2 %3 %4 %5 %6 %7")
                    .arg(d.id)
                    .arg(d.generation)
                    .arg(d.serial, d.firstRecord.toString(Qt::ISODate), d.lastRecord.toString(Qt::ISODate))
                    .arg(d.downloads)
                    .arg(d.lastDownload.toString(Qt::ISODate));
    out << (devices ? text : QStringLiteral("error"));
    const auto list = archive.downloads(device);
    text.clear();
    if (list)
        for (const ArchivedDownload& d : *list)
            text += QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8 %9 ")
                        .arg(d.id)
                        .arg(int(d.sourceKind))
                        .arg(d.importedAt.toString(Qt::ISODate), d.transferDate, d.transferTime,
                             d.coverFrom.toString(Qt::ISODate), d.coverTo.toString(Qt::ISODate), d.sha256)
                        .arg(d.originalSize) +
                    QStringLiteral("%1,%2,%3,%4,%5 ")
                        .arg(d.counts.leq)
                        .arg(d.counts.leq1)
                        .arg(d.counts.leq10)
                        .arg(d.counts.events)
                        .arg(d.counts.paramChanges);
    out << (list ? text : QStringLiteral("error"));
    for (const QDate& from : {QDate(2026, 10, 3), QDate()}) {
        const auto c = archive.coverage(device, from, from.isValid() ? QDate(2026, 10, 6) : QDate());
        text.clear();
        if (c) {
            text = QStringLiteral("%1 %2 %3")
                       .arg(c->lastDownload.toString(Qt::ISODate))
                       .arg(c->limitDb)
                       .arg(c->weighting);
            for (const TimeSpan& s : c->covered)
                text += QLatin1Char(' ') + s.from.toString(Qt::ISODate) + s.to.toString(Qt::ISODate);
            for (const DayStatus& d : c->days)
                text += QStringLiteral(" %1:%2").arg(int(d.cover)).arg(d.highestLevel.value_or(-1));
        }
        out << (c ? text : QStringLiteral("error"));
    }
    const auto period = archive.loadPeriod(device, QDate(2026, 10, 3), QDate(2026, 10, 5));
    out << (period ? QString::fromLatin1(SaveFileBytes(period->data, 5, true).toHex())
                   : QStringLiteral("error"));
    for (qint64 id : downloads) {
        const auto bytes = archive.originalBytes(id);
        out << (bytes ? QString::fromLatin1(bytes->toHex()) : QStringLiteral("error"));
    }
    return out;
}

// A connection of another tool, past every check of the program.
class DamagedWriter {
public:
    explicit DamagedWriter(const ArchiveLocation& location) {
        const bool sqlite = location.engine == ArchiveEngine::Sqlite;
        m_db = QSqlDatabase::addDatabase(sqlite ? QStringLiteral("QSQLITE") : QStringLiteral("QPSQL"),
                                         QStringLiteral("vorl-test-damage"));
        m_db.setDatabaseName(sqlite ? location.path : location.database);
        m_db.setHostName(location.host);
        if (location.port > 0) m_db.setPort(location.port);
        m_db.setUserName(location.user);
        m_db.setPassword(location.password);
        EXPECT_TRUE(m_db.open());
        // A test's own writes need not survive a power cut.
        if (sqlite) QSqlQuery(m_db).exec(QStringLiteral("PRAGMA synchronous=OFF"));
        dropChecks(sqlite);
    }
    ~DamagedWriter() {
        m_db.close();
        m_db = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("vorl-test-damage"));
    }
    bool exec(const QString& sql, const QVariantList& values) {
        QSqlQuery query(m_db);
        query.prepare(sql);
        for (const QVariant& v : values)
            query.addBindValue(v);
        return query.exec() && query.numRowsAffected() == 1;
    }
    QVariant value(const QString& sql) {
        QSqlQuery query(m_db);
        return query.exec(sql) && query.next() ? query.value(0) : QVariant();
    }

private:
    // Another tool, or a damaged file, does not go through the archive's own checks: the readers must
    // hold without them.
    void dropChecks(bool sqlite) {
        QSqlQuery query(m_db);
        QStringList drops;
        if (sqlite) {
            query.exec(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'trigger'"));
            while (query.next())
                drops << QStringLiteral("DROP TRIGGER \"%1\"").arg(query.value(0).toString());
        } else {
            query.exec(
                QStringLiteral("SELECT conrelid::regclass::text, conname FROM pg_constraint WHERE contype "
                               "= 'c' AND connamespace = current_schema()::regnamespace"));
            while (query.next())
                drops << QStringLiteral("ALTER TABLE %1 DROP CONSTRAINT \"%2\"")
                             .arg(query.value(0).toString(), query.value(1).toString());
        }
        for (const QString& drop : drops)
            EXPECT_TRUE(QSqlQuery(m_db).exec(drop)) << drop.toStdString();
    }

    QSqlDatabase m_db;
};
} // namespace

// Values no version of the program writes, put into one row of each table by another tool: every read
// refuses them ("Archive endommagée", naming the table and row) or gives back exactly what it gave
// before; none crashes, and verify reports each. Values that move a row to another device, or to an
// impossible date outside the span a read covers, are for verify alone: a read of some days cannot
// look at every row of the device.
TEST_P(DamagedArchives, EveryImpossibleValueIsRefusedOrChangesNothing) {
    auto archive = scratch->open();
    for (const DeviceData& d : damagedFixture())
        ASSERT_TRUE(archive->importDownload(d, 5, {}).ok());
    const qint64 device = archive->devices()->front().id;
    std::vector<qint64> downloads;
    const auto archived = archive->downloads(device);
    ASSERT_TRUE(archived);
    for (const ArchivedDownload& d : *archived)
        downloads.push_back(d.id);
    const QStringList baseline = damagedReads(*archive, device, downloads);
    ASSERT_FALSE(baseline.contains(QStringLiteral("error"))) << baseline.join('\n').toStdString();
    ASSERT_TRUE(archive->verify().ok());

    const QString dev = QString::number(device), dl = QString::number(downloads.front());
    const qint64 levelStamp = Stamp::fromDateTime(at(4, 9, 0)), eventStamp = Stamp::fromDateTime(at(4, 1, 0)),
                 changeStamp = Stamp::fromDateTime(at(4, 8, 30));
    const struct {
        const char* table;
        QString where; // the row, before the change
        const char* column;
        QVariantList values;
        bool verifyOnly;
    } cases[] = {
        {"devices", "id = " + dev, "generation", {4, -1, 0, QStringLiteral("x"), 4.5}, false},
        {"devices",
         "id = " + dev,
         "serial_cells",
         {QStringLiteral("x"), QStringLiteral("1,2"), QStringLiteral("40,3,1,2,3,4,5,99999")},
         false},
        {"devices", "id = " + dev, "id", {-1}, false},
        {"downloads", "id = " + dl, "source_kind", {2, -1}, false},
        {"downloads", "id = " + dl, "imported_at", {QStringLiteral("x"), QString("")}, false},
        {"downloads",
         "id = " + dl,
         "transfer_date",
         {QStringLiteral("05/10 2026"), QStringLiteral("05_10")},
         false},
        {"downloads",
         "id = " + dl,
         "transfer_time",
         {QStringLiteral("09:00\n"), QStringLiteral("\x1b[2J")},
         false},
        {"downloads",
         "id = " + dl,
         "cover_from",
         {-1, qint64(2613011200), qint64(9812312359), QStringLiteral("x")},
         false},
        {"downloads", "id = " + dl, "cover_to", {0, qint64(2613011200), qint64(2610041275), 2.5}, false},
        {"downloads", "id = " + dl, "n_leq10", {-1, 40000, QStringLiteral("x")}, false},
        {"downloads", "id = " + dl, "n_events", {-1, 40000}, false},
        {"downloads", "id = " + dl, "sha256", {QStringLiteral("x"), QStringLiteral("AB")}, false},
        {"downloads",
         "id = " + dl,
         "param_zone",
         {QByteArray("x"), qCompress(QByteArray(1028, 'a')), QByteArray("\xff\xff\xff\xffzz", 6)},
         false},
        {"downloads",
         "id = " + dl,
         "original",
         {QByteArray("x"), QByteArray("\x7f\xff\xff\xffzz", 6)},
         false},
        {"downloads", "id = " + dl, "original_size", {-1, qint64(1) << 40}, false},
        {"downloads", "id = " + dl, "device_id", {-1}, true},
        {"levels",
         QStringLiteral("stamp = %1 AND c4 = 10").arg(levelStamp),
         "stamp",
         {-1, qint64(99999999999), qint64(2610041275), QStringLiteral("x"), 2610040900.5},
         false},
        {"levels",
         QStringLiteral("stamp = %1 AND c4 = 10").arg(levelStamp),
         "stamp",
         {qint64(2613011200)},
         true},
        {"levels", QStringLiteral("stamp = %1 AND c4 = 10").arg(levelStamp), "c4", {40000, -40000}, false},
        {"levels",
         QStringLiteral("stamp = %1 AND c4 = 10").arg(levelStamp),
         "b7",
         {255, 40000, QStringLiteral("x")},
         false},
        {"levels", QStringLiteral("stamp = %1 AND c4 = 10").arg(levelStamp), "b8", {255, -40000}, false},
        {"levels", QStringLiteral("stamp = %1 AND c4 = 10").arg(levelStamp), "dup_rank", {-1, 40000}, false},
        {"levels",
         QStringLiteral("stamp = %1 AND c4 = 10").arg(levelStamp),
         "level",
         {-1, 123456, 0.5},
         false},
        {"levels", QStringLiteral("stamp = %1 AND c4 = 10").arg(levelStamp), "download_id", {-1}, true},
        {"levels", QStringLiteral("stamp = %1 AND c4 = 10").arg(levelStamp), "device_id", {-1}, true},
        {"events", QStringLiteral("stamp = %1").arg(eventStamp), "stamp", {-1, qint64(2610041299)}, false},
        {"events", QStringLiteral("stamp = %1").arg(eventStamp), "stamp", {qint64(2613011200)}, true},
        {"events", QStringLiteral("stamp = %1").arg(eventStamp), "b8", {255, 40000}, false},
        {"events", QStringLiteral("stamp = %1").arg(eventStamp), "dup_rank", {-1}, false},
        {"param_changes",
         QStringLiteral("stamp = %1").arg(changeStamp),
         "cells",
         {QStringLiteral("x"), QStringLiteral("1,2"), QString()},
         false},
        {"param_changes",
         QStringLiteral("stamp = %1").arg(changeStamp),
         "stamp",
         {-1, qint64(2610040099)},
         false},
        {"param_changes", QStringLiteral("stamp = %1").arg(changeStamp), "stamp", {qint64(2600001200)}, true},
        {"param_changes", QStringLiteral("stamp = %1").arg(changeStamp), "dup_rank", {-1, 5000}, false},
    };
    int applied = 0;
    DamagedWriter writer(scratch->location);
    for (const auto& c : cases)
        for (const QVariant& value : c.values) {
            SCOPED_TRACE(std::string(c.table) + "." + c.column + " = " + value.toString().toStdString());
            // A server's typed column turns a fraction into a valid whole number: nothing damaged.
            if (value.typeId() == QMetaType::Double && GetParam() == Engine::Postgres) continue;
            const QString table = QLatin1String(c.table), column = QLatin1String(c.column);
            const QVariant old =
                writer.value(QStringLiteral("SELECT %1 FROM %2 WHERE %3").arg(column, table, c.where));
            ASSERT_TRUE(old.isValid());
            // A value the engine's column type refuses cannot be there: nothing to read.
            if (!writer.exec(QStringLiteral("UPDATE %1 SET %2 = ? WHERE %3").arg(table, column, c.where),
                             {value}))
                continue;
            ++applied;
            if (!c.verifyOnly) {
                const QStringList got = damagedReads(*archive, device, downloads);
                for (int i = 0; i < got.size(); ++i)
                    EXPECT_TRUE(got[i] == baseline[i] || got[i] == QLatin1String("error")) << "read " << i;
            }
            EXPECT_FALSE(archive->verify().ok());
            // Back as it was: the row is found by its key, the changed column included.
            QString where = c.where;
            where.replace(QRegularExpression(QStringLiteral("\\b%1 = \\S+").arg(column)),
                          column + QStringLiteral(" = ?"));
            QVariantList binds{old};
            if (where != c.where) binds << value;
            ASSERT_TRUE(writer.exec(QStringLiteral("UPDATE %1 SET %2 = ? WHERE %3").arg(table, column, where),
                                    binds));
            ASSERT_EQ(damagedReads(*archive, device, downloads), baseline);
        }
    EXPECT_GT(applied, 25);
}

// A refusal names what is damaged, and a generation that is not the zone's never reaches the zone.
TEST_P(DamagedArchives, ARefusalNamesTheTableAndTheRow) {
    auto archive = scratch->open();
    for (const DeviceData& d : damagedFixture())
        ASSERT_TRUE(archive->importDownload(d, 5, {}).ok());
    const qint64 device = archive->devices()->front().id;
    {
        DamagedWriter writer(scratch->location);
        ASSERT_TRUE(writer.exec(QStringLiteral("UPDATE devices SET generation = 3 WHERE id = ?"), {device}));
    }
    const auto coverage = archive->coverage(device);
    ASSERT_FALSE(coverage);
    EXPECT_TRUE(
        coverage.error().startsWith(QStringLiteral("Archive endommagée : table downloads, ligne id ")))
        << coverage.error().toStdString();
    EXPECT_FALSE(archive->loadPeriod(device, QDate(2026, 10, 3), QDate(2026, 10, 5)));
    {
        DamagedWriter writer(scratch->location);
        ASSERT_TRUE(writer.exec(QStringLiteral("UPDATE devices SET generation = 4 WHERE id = ?"), {device}));
    }
    const auto devices = archive->devices();
    ASSERT_FALSE(devices);
    EXPECT_EQ(devices.error(), QStringLiteral("Archive endommagée : table devices, ligne id %1 : génération "
                                              "inconnue.")
                                   .arg(device));
}

// A day the month lacks (31/02), which the device's date test lets through, is no date: the archive
// neither stores such a record nor moves it to another day, as the tables of a save file leave it out.
TEST_P(DamagedArchives, ADayTheMonthLacksIsNeitherStoredNorMoved) {
    DeviceData download =
        tinyDownload(7, {{at(28, 10, 0, 2), 10, 80}, {at(28, 10, 10, 2), 10, 81}}, at(1, 9, 0, 3));
    download.Leq_Records(2, 3) = 31;
    auto archive = scratch->open();
    const ImportResult imported = archive->importDownload(download, 5, {});
    ASSERT_TRUE(imported.ok()) << imported.error().toStdString();
    EXPECT_EQ(imported->added.levels(), 1);
    const auto devices = archive->devices();
    ASSERT_TRUE(devices) << devices.error().toStdString();
    EXPECT_EQ(devices->front().lastRecord, at(28, 10, 0, 2));
}
