#include "ScratchArchive.h"
#include "TinyDownloads.h"

#include "core/archive/ArchiveRecords.h"
#include "core/files/SaveFile.h"
#include "sim/Generator.h"
#include "support/EnvironmentGuard.h"

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
            EXPECT_EQ(r.status, c.statuses[i]) << r.error.toStdString();
            EXPECT_EQ(r.added.levels(), c.addedLevels[i]);
        }
        EXPECT_EQ(scratch.count(QStringLiteral("SELECT count(*) FROM levels")), c.archivedLevels);
        EXPECT_EQ(archive->devices()->size(), static_cast<std::size_t>(c.devices));
        EXPECT_TRUE(archive->verify().ok()) << archive->verify().problems.join('|').toStdString();
    }
}

TEST_P(ArchiveOnEngine, SchemaVersionsAreMigratedOrRefused) {
    // An archive of the first schema (no venue yet): built by hand from an empty one.
    {
        auto db = ArchiveDatabase::connect(scratch->location, nullptr);
        ASSERT_TRUE(db);
        for (const char* table :
             {"param_changes", "events", "levels", "downloads", "devices", "schema_version"})
            ASSERT_TRUE(db->exec(QStringLiteral("DROP TABLE %1").arg(QLatin1String(table))));
        ASSERT_TRUE(db->migrate(1));
        EXPECT_EQ(db->schemaVersion(), 1);
    }
    auto archive = scratch->open();
    ASSERT_TRUE(archive);
    EXPECT_EQ(archive->schemaVersion(), ArchiveDatabase::kSchemaVersion);
    const ImportResult r = archive->importDownload(kMorning, 5, {SourceKind::File, QStringLiteral("f")});
    ASSERT_TRUE(r.ok());
    EXPECT_TRUE(archive->setVenue(r.deviceId, QStringLiteral("Le Zinc")));
    EXPECT_EQ(archive->devices()->front().venue, QStringLiteral("Le Zinc"));
    archive.reset();

    // A newer program wrote it: refused, and left alone.
    {
        auto db = ArchiveDatabase::connect(scratch->location, nullptr);
        ASSERT_TRUE(db->exec(QStringLiteral("UPDATE schema_version SET version = 99")));
    }
    QString error;
    EXPECT_FALSE(Archive::open(scratch->location, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("plus récente"))) << error.toStdString();
    EXPECT_EQ(scratch->count(QStringLiteral("SELECT version FROM schema_version")), 99);
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
        EXPECT_FALSE(Archive::open(scratch.location, &error));
        EXPECT_TRUE(error.contains(QString::fromUtf8(c.message))) << error.toStdString();
    }
}

// The hash and the kept bytes: a transfer and the file saved from it are one download, and the file
// comes back byte for byte.
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
        ASSERT_EQ(fromFile.status, ImportStatus::Imported) << fromFile.error.toStdString();
        const auto original = archive->originalBytes(fromFile.downloadId);
        ASSERT_TRUE(original) << original.error().toStdString();
        EXPECT_EQ(*original, bytes);
        // The transfer's own clock differs from the file's last line; the content does not.
        store->Transfer_Time = QStringLiteral("23:59:59");
        const ImportResult transfer =
            archive->importDownload(store->deviceData(), generation, {SourceKind::Transfer, {}});
        EXPECT_EQ(transfer.status, ImportStatus::AlreadyArchived);
        EXPECT_EQ(transfer.downloadId, fromFile.downloadId);
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

    auto db = ArchiveDatabase::connect(scratch->location, nullptr);
    ASSERT_TRUE(db->exec(QStringLiteral("DELETE FROM levels WHERE stamp = %1 AND dup_rank = 0")
                             .arg(Stamp::of(26, 10, 25, 2, 10))));
    const VerifyReport damaged = archive->verify();
    EXPECT_FALSE(damaged.ok());
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
        ImportStatus status;
        const char* caption;
    } cases[] = {
        {"off", ImportStatus::Disabled, "désactivé"},
        {scratch.location.path.toUtf8(), ImportStatus::Imported, "4 mesures nouvelles"},
        {scratch.location.path.toUtf8(), ImportStatus::AlreadyArchived, "Déjà archivé"},
        {scratch.folder().toUtf8(), ImportStatus::Failed, "restent en mémoire"}, // a folder is no archive
    };
    EnvironmentGuard env;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.location.toStdString());
        env.set("VORL_ARCHIVE", c.location);
        const ImportResult r = ArchiveFinishedTransfer(*store, {}, QStringLiteral("/dev/ttyUSB0"));
        EXPECT_EQ(r.status, c.status) << r.error.toStdString();
        EXPECT_TRUE(ImportResultText(r).contains(QString::fromUtf8(c.caption)))
            << ImportResultText(r).toStdString();
    }
    EXPECT_TRUE(*store == *before);
}
