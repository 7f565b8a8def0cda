#include "CliRun.h"
#include "core/archive/ScratchArchive.h"
#include "core/archive/TinyDownloads.h"

namespace {
class ArchiveReadErrors : public ArchiveOnEngine {};
INSTANTIATE_TEST_SUITE_P(Engines, ArchiveReadErrors, ::testing::Values(Engine::Sqlite, Engine::Postgres),
                         engineName);
} // namespace

// A read that fails is said and fails the command: with a table gone, no command prints an empty
// archive, an empty list or "no device" and exits 0.
TEST_P(ArchiveReadErrors, AFailedReadIsAnErrorNotAnEmptyArchive) {
    QString serial;
    {
        auto archive = scratch->open();
        const ImportResult r =
            archive->importDownload(tinyDownload(7, {{at(3, 22, 0), 10, 80}}, at(4, 9, 0)), 5, {});
        ASSERT_TRUE(r.ok());
        serial = r->serial;
    }
    const struct {
        const char* table;
        QStringList args;
    } cases[] = {
        {"levels", {"archive", "list"}},
        {"downloads", {"archive", "list"}},
        {"downloads", {"archive", "coverage", "--serial", serial}},
        {"levels",
         {"archive", "extract", "--serial", serial, "--from", "03/10/2026", "--to", "03/10/2026", "--out",
          scratch->folder() + QStringLiteral("/x.qlv")}},
        {"downloads",
         {"archive", "extract", "--download", "1", "--out", scratch->folder() + QStringLiteral("/y.qlv")}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString() + " without " + c.table);
        ScratchArchive damaged(GetParam());
        {
            auto archive = damaged.open();
            ASSERT_TRUE(
                archive->importDownload(tinyDownload(7, {{at(3, 22, 0), 10, 80}}, at(4, 9, 0)), 5, {}).ok());
        }
        ASSERT_TRUE(rawQuery(damaged.location, QStringLiteral("DROP TABLE %1").arg(QLatin1String(c.table)))
                        .isValid());
        const CliRun run = runVorlCli(c.args + QStringList{"--archive", damaged.text()});
        EXPECT_EQ(run.status, 1) << run.out.toStdString();
        // The error alone, as a message box says it: no header of a listing before it.
        EXPECT_TRUE(run.out.startsWith(QStringLiteral("Archive\nLecture de l'archive impossible")))
            << run.out.toStdString();
    }
}
