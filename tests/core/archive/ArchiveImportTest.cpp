#include "ScratchArchive.h"
#include "TinyDownloads.h"

#include "core/archive/ArchiveRecords.h"
#include "core/files/SaveFile.h"
#include "core/store/Labels.h"
#include "core/tables/TableViews.h"
#include "sim/Generator.h"
#include "support/EnvironmentGuard.h"

#include <QCryptographicHash>
#include <QFile>

INSTANTIATE_TEST_SUITE_P(Engines, ArchiveOnEngine, ::testing::Values(Engine::Sqlite, Engine::Postgres),
                         engineName);

namespace {
const DeviceData kMorning =
    tinyDownload(7, {{at(3, 10, 0), 10, 80}, {at(3, 10, 10), 10, 81}, {at(3, 10, 20), 10, 82}}, at(3, 11, 0));
const DeviceData kLater = tinyDownload(
    7, {{at(3, 10, 10), 10, 81}, {at(3, 10, 20), 10, 82}, {at(3, 10, 30), 10, 83}, {at(3, 10, 40), 1, 104}},
    at(3, 12, 0));
// The clock goes back at 3:00 on 25/10: 2:10 is lived twice with the same level.
const DeviceData kAutumn = tinyDownload(
    7, {{at(25, 1, 50), 10, 75}, {at(25, 2, 10), 10, 80}, {at(25, 2, 10), 10, 80}}, at(25, 2, 40));
const DeviceData kAutumnLater = tinyDownload(
    7, {{at(25, 1, 50), 10, 75}, {at(25, 2, 10), 10, 80}, {at(25, 2, 10), 10, 80}, {at(25, 3, 10), 10, 79}},
    at(25, 9, 0));
const DeviceData kOtherDevice =
    tinyDownload(8, {{at(3, 10, 0), 10, 80}, {at(3, 10, 10), 10, 81}, {at(3, 10, 20), 10, 82}}, at(3, 11, 0));
} // namespace

TEST_P(ArchiveOnEngine, EachRecordIsArchivedOnceWhateverTheDownloads) {
    const struct Case {
        const char* name;
        std::vector<DeviceData> downloads;
        std::vector<ImportStatus> statuses;
        std::vector<int> addedLevels;
        int archivedLevels;
        int devices;
    } cases[] = {
        {"same content twice",
         {kMorning, kMorning},
         {ImportStatus::Imported, ImportStatus::AlreadyArchived},
         {3, 0},
         3,
         1},
        {"overlap", {kMorning, kLater}, {ImportStatus::Imported, ImportStatus::Imported}, {3, 2}, 5, 1},
        {"overlap in reverse order",
         {kLater, kMorning},
         {ImportStatus::Imported, ImportStatus::Imported},
         {4, 1},
         5,
         1},
        {"repeated autumn hour kept twice",
         {kAutumn, kAutumnLater},
         {ImportStatus::Imported, ImportStatus::Imported},
         {3, 1},
         4,
         1},
        {"two devices",
         {kMorning, kOtherDevice},
         {ImportStatus::Imported, ImportStatus::Imported},
         {3, 3},
         6,
         2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchArchive scratch(GetParam());
        auto archive = scratch.open();
        ASSERT_TRUE(archive);
        for (std::size_t i = 0; i < c.downloads.size(); ++i) {
            const ImportResult r =
                archive->importDownload(c.downloads[i], 5, {SourceKind::File, QStringLiteral("f")});
            ASSERT_TRUE(r) << r.error().toStdString();
            EXPECT_EQ(r->status, c.statuses[i]);
            EXPECT_EQ(r->added.levels(), c.addedLevels[i]);
        }
        EXPECT_EQ(scratch.count(QStringLiteral("SELECT count(*) FROM levels")), c.archivedLevels);
        EXPECT_EQ(archive->devices()->size(), static_cast<std::size_t>(c.devices));
        EXPECT_TRUE(archive->verify().ok()) << archive->verify().problems.join('|').toStdString();
    }
}

TEST_P(ArchiveOnEngine, SchemaVersionsAreMigratedOrRefused) {
    // An archive of the first schema (no venue yet): built by hand from an empty one.
    {
        auto db = ArchiveDatabase::connect(scratch->location).value();
        ASSERT_TRUE(db);
        ASSERT_TRUE(dropEveryTable(*db));
        ASSERT_TRUE(db->migrate({1, 0}));
        EXPECT_EQ(db->schemaVersion(), (SchemaVersion{1, 0}));
    }
    auto archive = scratch->open();
    ASSERT_TRUE(archive);
    EXPECT_EQ(archive->schemaVersion(), ArchiveDatabase::kSchemaVersion);
    const ImportResult r = archive->importDownload(kMorning, 5, {SourceKind::File, QStringLiteral("f")});
    ASSERT_TRUE(r.ok());
    EXPECT_TRUE(archive->setVenue(r->deviceId, QStringLiteral("Le Zinc")));
    EXPECT_EQ(archive->devices()->front().venue, QStringLiteral("Le Zinc"));
    archive.reset();

    // A newer program of the same major only added to the schema: this one keeps importing.
    {
        auto db = ArchiveDatabase::connect(scratch->location).value();
        ASSERT_TRUE(db->exec(QStringLiteral("UPDATE schema_version SET minor = 99")));
    }
    archive = scratch->open();
    ASSERT_TRUE(archive);
    EXPECT_EQ(archive->importDownload(kLater, 5, {SourceKind::File, QStringLiteral("g")})->status,
              ImportStatus::Imported);
    archive.reset();

    // A newer major: refused, and left alone.
    {
        auto db = ArchiveDatabase::connect(scratch->location).value();
        ASSERT_TRUE(db->exec(QStringLiteral("UPDATE schema_version SET version = 99")));
    }
    QString error;
    EXPECT_FALSE(openOrWhy(scratch->location, error));
    EXPECT_TRUE(error.contains(QStringLiteral("plus récente"))) << error.toStdString();
    EXPECT_EQ(scratch->count(QStringLiteral("SELECT version FROM schema_version")), 99);
}

// An archive of schema 2.0 written before: its originals get the hash a user can check, the same
// memory read at two moments becomes two downloads, and a value no program writes is refused.
TEST_P(ArchiveOnEngine, MigrationKeepsWhatWasArchivedAndAddsItsConstraints) {
    const QByteArray original("the bytes of a save file");
    {
        auto db = ArchiveDatabase::connect(scratch->location).value();
        ASSERT_TRUE(db);
        ASSERT_TRUE(dropEveryTable(*db));
        ASSERT_TRUE(db->migrate({2, 0}));
        ASSERT_TRUE(db->exec(
            QStringLiteral("INSERT INTO devices (generation, serial_cells, serial) VALUES (5, '1', '1')")));
        QSqlQuery insert(db->db());
        insert.prepare(QStringLiteral(
            "INSERT INTO downloads (device_id, source_kind, source_name, imported_at, transfer_date, "
            "transfer_time, cover_from, cover_to, n_leq, n_leq1, n_leq10, n_events, n_changes, sha256, "
            "param_zone, original, original_size) SELECT id, 1, 'f', '2026-10-03T11:00:00', '03/10/2026', "
            "'11:00:00', NULL, NULL, 0, 0, 0, 0, 0, 'aa', ?, ?, ? FROM devices"));
        insert.addBindValue(qCompress(QByteArray("zone")));
        insert.addBindValue(qCompress(original));
        insert.addBindValue(original.size());
        ASSERT_TRUE(db->execPrepared(insert));
    }
    ASSERT_TRUE(scratch->open());
    EXPECT_EQ(rawQuery(scratch->location, QStringLiteral("SELECT original_sha256 FROM downloads")).toString(),
              QString::fromLatin1(QCryptographicHash::hash(original, QCryptographicHash::Sha256).toHex()));
    const QString insertCopy = QStringLiteral(
        "INSERT INTO downloads (device_id, source_kind, source_name, imported_at, transfer_date, "
        "transfer_time, "
        "cover_from, cover_to, n_leq, n_leq1, n_leq10, n_events, n_changes, sha256, param_zone, original, "
        "original_size) SELECT device_id, %1, source_name, imported_at, '04/10/2026', transfer_time, NULL, "
        "NULL, %2, 0, 0, 0, 0, sha256, param_zone, original, original_size FROM downloads");
    const struct Write {
        const char* name;
        QString sql;
        bool accepted;
    } writes[] = {
        {"the same content read the next day", insertCopy.arg(1).arg(0), true},
        {"a generation no device has", QStringLiteral("UPDATE devices SET generation = 4"), false},
        {"a negative count", insertCopy.arg(1).arg(-1), false},
        {"an unknown source", insertCopy.arg(7).arg(0), false},
        {"a record at minute 75",
         QStringLiteral("INSERT INTO levels (device_id, stamp, c4, b7, b8, dup_rank, level, download_id) "
                        "VALUES (1, 2610031075, 10, 80, 0, 0, 80, 1)"),
         false},
        {"a record on the 32nd",
         QStringLiteral("INSERT INTO events (device_id, stamp, c4, b7, b8, dup_rank, download_id) "
                        "VALUES (1, 2610321000, 0, 0, 32, 0, 1)"),
         false},
    };
    for (const Write& w : writes) {
        SCOPED_TRACE(w.name);
        EXPECT_EQ(rawQuery(scratch->location, w.sql).isValid(), w.accepted);
    }
}

// A download is its content and its transfer: the same memory read again adds no record but covers up
// to its own transfer, in whichever order the two are imported; a transfer time before the last record
// cannot end the coverage, and is said.
TEST_P(ArchiveOnEngine, TheTransferTimeSaysHowFarADownloadCovers) {
    DeviceData nextDay = kMorning;
    nextDay.Transfer_Date = QStringLiteral("04/10/2026");
    DeviceData clockBehind = kMorning;
    clockBehind.Transfer_Time = QStringLiteral("10:05:00");
    const struct Case {
        const char* name;
        std::vector<DeviceData> downloads;
        std::vector<ImportStatus> statuses;
        QDateTime lastDownload;
        bool flagged;
    } cases[] = {
        {"read again the next day",
         {kMorning, nextDay},
         {ImportStatus::Imported, ImportStatus::Imported},
         at(4, 11, 0),
         false},
        {"imported the other way round",
         {nextDay, kMorning},
         {ImportStatus::Imported, ImportStatus::Imported},
         at(4, 11, 0),
         false},
        {"the same reading twice",
         {kMorning, kMorning},
         {ImportStatus::Imported, ImportStatus::AlreadyArchived},
         at(3, 11, 0),
         false},
        {"transfer before the last record", {clockBehind}, {ImportStatus::Imported}, at(3, 10, 20), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchArchive one(GetParam());
        auto archive = one.open();
        for (std::size_t i = 0; i < c.downloads.size(); ++i) {
            const ImportResult r = archive->importDownload(c.downloads[i], 5, {SourceKind::File, {}});
            ASSERT_TRUE(r) << r.error().toStdString();
            EXPECT_EQ(r->status, c.statuses[i]);
            EXPECT_EQ(r->transferBeforeRecords, c.flagged);
            EXPECT_EQ(ImportResultText(r).contains(QStringLiteral("avant le dernier relevé")), c.flagged);
        }
        EXPECT_EQ(one.count(QStringLiteral("SELECT count(*) FROM levels")), 3);
        const ArchivedDevice device = archive->devices()->front();
        EXPECT_EQ(device.lastDownload, c.lastDownload);
        EXPECT_EQ(archive->coverage(device.id)->lastDownload, c.lastDownload);
        EXPECT_EQ(archive->downloads(device.id)->back().transferBeforeRecords, c.flagged);
        EXPECT_TRUE(archive->verify().ok());
    }
}

namespace {
struct ImportTestTables {
    TableList levels10, levels1, events;
};
ImportTestTables importTestTables(const DeviceData& data, const QDate& first, const QDate& last) {
    auto store = std::make_unique<DataStore>();
    store->commit(DeviceData(data));
    store->Device_Version = 5;
    store->Start_Day = TwoDigits(first.day());
    store->Start_Month = TwoDigits(first.month());
    store->Start_Year = QString::number(first.year());
    store->End_Day = TwoDigits(last.day());
    store->End_Month = TwoDigits(last.month());
    store->End_Year = QString::number(last.year());
    const LeqTableV5View levels = PrepareLeqTableV5(*store);
    return {levels.list10, levels.list1, PrepareEventTable(*store).list};
}
} // namespace

// The records of one minute come back in the order of the download that brought them: the two passes
// of the hour lived twice when the clock goes back, and events of the same minute.
TEST_P(ArchiveOnEngine, RecordsOfOneMinuteComeBackInTheirOrder) {
    GeneratorOptions options;
    options.start = QDate(2026, 10, 19);
    options.days = 10;
    options.seed = 5;
    options.summerTime = true;
    const std::vector<DeviceData> readings = GenerateReadings(options, {7, 10});
    auto archive = scratch->open();
    for (const DeviceData& reading : readings)
        ASSERT_TRUE(archive->importDownload(reading, 5, {SourceKind::File, {}}).ok());
    const DeviceData sameMinute = tinyDownload(77, {{at(5, 10, 0), 10, 85}, {at(5, 10, 0), 10, 80}},
                                               at(5, 11, 0), {{at(5, 10, 0), 64}, {at(5, 10, 0), 32}});
    ASSERT_TRUE(archive->importDownload(sameMinute, 5, {SourceKind::File, {}}).ok());

    const struct Case {
        const char* name;
        const DeviceData& original;
        QDate first, last;
    } cases[] = {
        {"autumn hour", readings[1], QDate(2026, 10, 24), QDate(2026, 10, 26)},
        {"one minute", sameMinute, QDate(2026, 10, 5), QDate(2026, 10, 5)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const bool tiny = &c.original == &sameMinute;
        qint64 device = 0;
        for (const ArchivedDevice& d : *archive->devices())
            if ((d.serialCells[7] == 77) == tiny) device = d.id;
        auto loaded = archive->loadPeriod(device, c.first, c.last);
        ASSERT_TRUE(loaded) << loaded.error().toStdString();
        const LoadedPeriod& period = *loaded;
        const ImportTestTables want = importTestTables(c.original, c.first, c.last),
                               got = importTestTables(period.data, c.first, c.last);
        EXPECT_FALSE(want.levels10.message);
        EXPECT_EQ(got.levels10.lines, want.levels10.lines);
        EXPECT_EQ(got.levels1.lines, want.levels1.lines);
        EXPECT_EQ(got.events.lines, want.events.lines);
    }
}

TEST(ArchiveFile, UnusableFilesGetAClearMessage) {
    const struct Case {
        const char* name;
        QByteArray content;
        const char* message;
    } cases[] = {
        {"not a database", QByteArray(4096, 'x'), "endommagée"},
        {"someone else's database", {}, "n'est pas une archive"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchArchive scratch(Engine::Sqlite);
        if (c.content.isEmpty()) {
            QSqlDatabase other =
                QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("other"));
            other.setDatabaseName(scratch.location.path);
            ASSERT_TRUE(other.open());
            QSqlQuery(other).exec(QStringLiteral("CREATE TABLE notes (text TEXT)"));
            other.close();
            other = QSqlDatabase();
            QSqlDatabase::removeDatabase(QStringLiteral("other"));
        } else {
            QFile file(scratch.location.path);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(c.content);
        }
        QString error;
        EXPECT_FALSE(openOrWhy(scratch.location, error));
        EXPECT_TRUE(error.contains(QString::fromUtf8(c.message))) << error.toStdString();
    }
}

// The hash and the kept bytes: a transfer and the file saved from it are one download, and the file
// comes back byte for byte, with the SHA-256 the archive shows for it.
TEST_P(ArchiveOnEngine, SavedFileAndTransferAreOneDownloadKeptByteForByte) {
    for (int generation : {3, 5}) {
        SCOPED_TRACE(generation);
        auto store = std::make_unique<DataStore>();
        GenerateIntoStore(*store, {generation, QDate(2026, 3, 2), 9, 5});
        const QString path = scratch->folder() + QStringLiteral("/g%1.qlv").arg(generation);
        ASSERT_TRUE(WriteSaveFile(*store, path, generation, generation == 3 ? 4096 : 8192));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        EXPECT_EQ(SaveFileBytes(store->deviceData(), generation, true), bytes);

        auto archive = scratch->open();
        const ImportResult fromFile = ImportSaveFile(*archive, path);
        ASSERT_TRUE(fromFile) << fromFile.error().toStdString();
        ASSERT_EQ(fromFile->status, ImportStatus::Imported);
        const auto original = archive->originalBytes(fromFile->downloadId);
        ASSERT_TRUE(original) << original.error().toStdString();
        EXPECT_EQ(*original, bytes);
        const auto listed = archive->downloads(fromFile->deviceId);
        ASSERT_TRUE(listed) << listed.error().toStdString();
        EXPECT_EQ(listed->back().originalSha256,
                  QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex()));
        const ImportResult transfer =
            archive->importDownload(store->deviceData(), generation, {SourceKind::Transfer, {}});
        EXPECT_EQ(transfer->status, ImportStatus::AlreadyArchived);
        EXPECT_EQ(transfer->downloadId, fromFile->downloadId);
    }
}

TEST_P(ArchiveOnEngine, VerifyReportsDamageAndDownloadsStartingInARepeatedHour) {
    auto archive = scratch->open();
    ASSERT_TRUE(archive->importDownload(kAutumnLater, 5, {SourceKind::File, QStringLiteral("a")}).ok());
    EXPECT_TRUE(archive->verify().ok());
    EXPECT_TRUE(archive->verify().notes.isEmpty());
    // A download read from inside the hour lived twice: its 2:10 may be either pass.
    const DeviceData inside =
        tinyDownload(7, {{at(25, 2, 10), 10, 80}, {at(25, 3, 10), 10, 79}}, at(25, 9, 30));
    ASSERT_TRUE(archive->importDownload(inside, 5, {SourceKind::File, QStringLiteral("b")}).ok());
    const VerifyReport flagged = archive->verify();
    EXPECT_TRUE(flagged.ok());
    EXPECT_EQ(flagged.notes.size(), 1);

    auto db = ArchiveDatabase::connect(scratch->location).value();
    ASSERT_TRUE(db->exec(QStringLiteral("DELETE FROM levels WHERE stamp = %1 AND dup_rank = 0")
                             .arg(Stamp::of(26, 10, 25, 2, 10))));
    const VerifyReport damaged = archive->verify();
    EXPECT_FALSE(damaged.ok());
}

// One byte changed in a kept original: verify finds it by the original's hash, and by reading it again
// when the hash was changed with it.
TEST_P(ArchiveOnEngine, VerifyReadsEveryOriginalAgain) {
    for (const bool hashToo : {false, true}) {
        SCOPED_TRACE(hashToo ? "hash changed too" : "bytes only");
        ScratchArchive one(GetParam());
        auto archive = one.open();
        const ImportResult r = archive->importDownload(kMorning, 5, {SourceKind::File, QStringLiteral("a")});
        ASSERT_TRUE(r.ok());
        ASSERT_TRUE(archive->verify().ok());
        QByteArray bytes = *archive->originalBytes(r->downloadId);
        const qsizetype digit = bytes.indexOf(" 80 ") + 1; // the first level, 80 dB
        ASSERT_GT(digit, 0);
        bytes[digit] = '7';
        auto db = ArchiveDatabase::connect(one.location).value();
        QSqlQuery update(db->db());
        update.prepare(QStringLiteral("UPDATE downloads SET original = ?%1")
                           .arg(hashToo ? ", original_sha256 = ?" : ""));
        update.addBindValue(qCompress(bytes));
        if (hashToo)
            update.addBindValue(
                QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex()));
        ASSERT_TRUE(db->execPrepared(update));
        const VerifyReport report = archive->verify();
        ASSERT_EQ(report.problems.size(), 1);
        EXPECT_TRUE(report.problems.first().contains(QStringLiteral("Téléchargement %1").arg(r->downloadId)))
            << report.problems.first().toStdString();
    }
}

// What verify finds damaged is not written to: the import is refused and says why.
TEST_P(ArchiveOnEngine, ADamagedArchiveRefusesImports) {
    const struct Case {
        const char* name;
        QString damage;
    } cases[] = {
        {"a repeated record without its first",
         QStringLiteral("DELETE FROM levels WHERE stamp = %1 AND dup_rank = 0")
             .arg(Stamp::of(26, 10, 25, 2, 10))},
        {"fewer levels than the download counts",
         QStringLiteral("UPDATE downloads SET n_leq10 = n_leq10 + 5")},
        {"an original that no longer reads", QStringLiteral("UPDATE downloads SET original = param_zone")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchArchive one(GetParam());
        ASSERT_TRUE(
            one.open()->importDownload(kAutumnLater, 5, {SourceKind::File, QStringLiteral("a")}).ok());
        ASSERT_TRUE(rawQuery(one.location, c.damage).isValid());
        const qint64 levels = one.count(QStringLiteral("SELECT count(*) FROM levels"));
        auto archive = one.open();
        EXPECT_FALSE(archive->verify().ok());
        const ImportResult r = archive->importDownload(kMorning, 5, {SourceKind::File, QStringLiteral("b")});
        EXPECT_FALSE(r);
        EXPECT_TRUE(r.error().contains(QStringLiteral("endommagée"))) << r.error().toStdString();
        EXPECT_EQ(one.count(QStringLiteral("SELECT count(*) FROM levels")), levels);
        EXPECT_EQ(one.count(QStringLiteral("SELECT count(*) FROM downloads")), 1);
    }
}

// The one call a finished transfer makes: archived where VORL_ARCHIVE says, reported for the caption,
// and a failure that leaves the data in memory alone.
TEST(ArchiveTransfer, AFinishedTransferIsArchivedWhereTheEnvironmentSays) {
    ScratchArchive scratch(Engine::Sqlite);
    auto store = std::make_unique<DataStore>();
    store->commit(DeviceData(kLater));
    store->Device_Version = 5;
    const auto before = std::make_unique<DataStore>(*store);
    const struct Case {
        QByteArray location;
        std::optional<ImportStatus> status; // nothing: archiving failed
        const char* caption;
    } cases[] = {
        {"off", ImportStatus::Disabled, "désactivé"},
        {scratch.location.path.toUtf8(), ImportStatus::Imported, "4 nouvelles mesures"},
        {scratch.location.path.toUtf8(), ImportStatus::AlreadyArchived, "Déjà dans l'archive"},
        {scratch.folder().toUtf8(), std::nullopt, "restent en mémoire"}, // a folder is no archive
    };
    EnvironmentGuard env;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.location.toStdString());
        env.set("VORL_ARCHIVE", c.location);
        const ImportResult r = ArchiveFinishedTransfer(*store, {}, QStringLiteral("/dev/ttyUSB0"));
        EXPECT_EQ(r ? std::optional(r->status) : std::nullopt, c.status) << r.error().toStdString();
        EXPECT_TRUE(ImportResultText(r).contains(QString::fromUtf8(c.caption)))
            << ImportResultText(r).toStdString();
    }
    EXPECT_TRUE(*store == *before);
}
