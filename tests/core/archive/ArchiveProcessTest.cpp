// Importers in other processes: one killed or cut off from its server in the middle, two at once.
#include "ScratchArchive.h"

#include "sim/Generator.h"

#include <csignal>
#include <cstdio>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

class ArchiveProcesses : public ArchiveOnEngine {};
INSTANTIATE_TEST_SUITE_P(Engines, ArchiveProcesses, ::testing::Values(Engine::Sqlite, Engine::Postgres),
                         engineName);

// Six weekly readings of one device: each overlaps the one before. Built before any fork, so that the
// children start importing at once.
const std::vector<DeviceData>& weeklyReadings() {
    static const std::vector<DeviceData> readings = [] {
        GeneratorOptions options;
        options.start = QDate(2026, 9, 7);
        options.days = 42;
        options.seed = 11;
        return GenerateReadings(options, {7, 14, 21, 28, 35, 42});
    }();
    return readings;
}

// Imports downloads first..last in a child process of its own connection; exit status 0 when all went in.
pid_t importInChild(const ArchiveLocation& location, std::size_t first, std::size_t last) {
    const pid_t pid = fork();
    if (pid != 0) return pid;
    int status = 0;
    {
        auto opened = Archive::open(location);
        if (!opened) {
            std::fprintf(stderr, "%s\n", qPrintable(opened.error()));
            ::_exit(2);
        }
        auto archive = std::move(opened).value();
        for (std::size_t i = first; i <= last; ++i)
            if (const auto r =
                    archive->importDownload(weeklyReadings()[i], 5, {SourceKind::File, QString::number(i)});
                !r) {
                std::fprintf(stderr, "%s\n", qPrintable(r.error()));
                status = 1;
            }
    }
    ::_exit(status); // no exit handlers: the parent's Qt and test state are not the child's
}

// Imports the readings in a child until the transaction of download `last` reaches `stage`: there the
// child writes one byte to signalFd and waits pauseMs (to be killed, or to find its session ended), then
// goes on with that import alone. Exit status 0 when it went in, 1 when it failed.
pid_t importUntilStopped(const ArchiveLocation& location, std::size_t last, Archive::ImportStage stage,
                         int signalFd, int pauseMs) {
    const pid_t pid = fork();
    if (pid != 0) return pid;
    int status = 2;
    {
        auto archive = Archive::open(location).value();
        std::size_t current = 0;
        if (archive)
            archive->setImportStageHook([&](Archive::ImportStage at) {
                if (current != last || at != stage) return;
                const char byte = 1;
                if (::write(signalFd, &byte, 1) == 1)
                    std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs));
            });
        for (; archive && current <= last; ++current)
            status =
                archive->importDownload(weeklyReadings()[current], 5, {SourceKind::File, {}}).ok() ? 0 : 1;
    }
    ::_exit(status);
}

int waitFor(pid_t pid) {
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

TEST_P(ArchiveProcesses, AnImportInterruptedMidwayLeavesWholeDownloadsOnly) {
    // Levels archived after the first k readings, k = 0..6.
    std::vector<qint64> levelsAfter{0};
    {
        ScratchArchive reference(GetParam());
        auto archive = reference.open();
        for (const DeviceData& reading : weeklyReadings()) {
            ASSERT_TRUE(archive->importDownload(reading, 5, {SourceKind::File, {}}));
            levelsAfter.push_back(reference.count(QStringLiteral("SELECT count(*) FROM levels")));
        }
    }
    // The child says when it stands inside the transaction of its k-th import, at a given stage, and
    // is killed there, or (on a server) its session is ended by the server as if the server went away.
    using Stage = Archive::ImportStage;
    const struct Stop {
        std::size_t download;
        Stage stage;
    } stops[] = {{0, Stage::DownloadRow}, {1, Stage::Levels}, {3, Stage::Records}, {5, Stage::Levels}};
    const bool server = GetParam() == Engine::Postgres;
    for (const bool endSession : server ? std::vector<bool>{false, true} : std::vector<bool>{false})
        for (const Stop& stop : stops) {
            SCOPED_TRACE(testing::Message()
                         << "download " << stop.download << " stage " << static_cast<int>(stop.stage)
                         << (endSession ? ", session ended" : ", killed"));
            ScratchArchive scratch(GetParam());
            scratch.open();
            int signal[2];
            ASSERT_EQ(::pipe(signal), 0);
            const pid_t child = importUntilStopped(scratch.location, stop.download, stop.stage, signal[1],
                                                   endSession ? 500 : 60000);
            ::close(signal[1]);
            char byte = 0;
            const bool inside = ::read(signal[0], &byte, 1) == 1;
            ::close(signal[0]);
            EXPECT_TRUE(inside);
            if (endSession)
                rawQuery(scratch.location,
                         QStringLiteral("SELECT pg_terminate_backend(pid) FROM pg_stat_activity "
                                        "WHERE datname = current_database() AND pid <> "
                                        "pg_backend_pid()"));
            else
                ::kill(child, SIGKILL);
            const int status = waitFor(child);
            if (endSession) {
                EXPECT_EQ(status, 1);
            }
            auto archive = scratch.open();
            ASSERT_TRUE(archive);
            EXPECT_EQ(scratch.count(QStringLiteral("SELECT count(*) FROM downloads")),
                      static_cast<qint64>(stop.download));
            EXPECT_EQ(scratch.count(QStringLiteral("SELECT count(*) FROM levels")),
                      levelsAfter[stop.download]);
            EXPECT_TRUE(archive->verify().ok());
        }
}

TEST_P(ArchiveProcesses, TwoImportersAtOnceGiveTheArchiveOfOne) {
    ScratchArchive sequential(GetParam());
    {
        auto archive = sequential.open();
        for (const DeviceData& reading : weeklyReadings())
            ASSERT_TRUE(archive->importDownload(reading, 5, {SourceKind::File, {}}).ok());
    }
    // Overlapping halves, the middle readings in both.
    const pid_t a = importInChild(scratch->location, 0, 3);
    const pid_t b = importInChild(scratch->location, 2, 5);
    EXPECT_EQ(waitFor(a), 0);
    EXPECT_EQ(waitFor(b), 0);
    for (const char* table : {"downloads", "levels", "events", "param_changes"}) {
        const QString sql = QStringLiteral("SELECT count(*) FROM %1").arg(QLatin1String(table));
        EXPECT_EQ(scratch->count(sql), sequential.count(sql)) << table;
    }
    EXPECT_TRUE(scratch->open()->verify().ok());
}

// A file the program may not write: the import fails, says so, and the archive stays as it was.
TEST(ArchiveFile, ReadOnlyArchiveRefusesTheImportAndStaysAsItWas) {
    ScratchArchive scratch(Engine::Sqlite);
    ASSERT_TRUE(scratch.open()->importDownload(weeklyReadings()[0], 5, {SourceKind::File, {}}));
    const qint64 before = scratch.count(QStringLiteral("SELECT count(*) FROM levels"));
    // Opened read-only as a read-only medium would be: even root cannot write through it.
    ArchiveLocation readOnly = scratch.location;
    readOnly.path = QStringLiteral("file:%1?mode=ro").arg(scratch.location.path);
    QString error;
    auto archive = openOrWhy(readOnly, error);
    ASSERT_TRUE(archive) << error.toStdString();
    const ImportResult r = archive->importDownload(weeklyReadings()[1], 5, {SourceKind::File, {}});
    EXPECT_FALSE(r);
    EXPECT_TRUE(r.error().contains(QStringLiteral("pas été modifiée"))) << r.error().toStdString();
    archive.reset();
    EXPECT_EQ(scratch.count(QStringLiteral("SELECT count(*) FROM levels")), before);
}

namespace {
// Waits at most `seconds` for a child; -1 (and the child killed) when it did not end in time.
int waitAtMost(pid_t pid, int seconds) {
    for (int tenth = 0; tenth < seconds * 10; ++tenth) {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    ::kill(pid, SIGKILL);
    waitFor(pid);
    return -1;
}
} // namespace

// An importer frozen inside its transaction (stopped, its PC asleep) holds what the next import
// needs: the server ends the frozen session, and the next import completes, once.
TEST_P(ArchiveProcesses, AFrozenImporterDoesNotHoldTheOthersBack) {
    if (GetParam() != Engine::Postgres) GTEST_SKIP() << "SQLite writers queue on the busy timeout";
    ASSERT_TRUE(scratch->open()->importDownload(weeklyReadings()[0], 5, {SourceKind::File, {}}));
    const pid_t frozen = fork();
    if (frozen == 0) {
        auto db = ArchiveDatabase::connect(scratch->location).value();
        // What an import holds once it has written its device and download rows.
        if (db && db->begin() && db->exec(QStringLiteral("LOCK TABLE devices, downloads IN EXCLUSIVE MODE")))
            ::raise(SIGSTOP);
        ::_exit(1);
    }
    int state = 0;
    ASSERT_EQ(waitpid(frozen, &state, WUNTRACED), frozen);
    ASSERT_TRUE(WIFSTOPPED(state));
    const auto started = std::chrono::steady_clock::now();
    const pid_t next = importInChild(scratch->location, 1, 2);
    EXPECT_EQ(waitAtMost(next, 50), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(45));
    ::kill(frozen, SIGKILL);
    waitFor(frozen);
    EXPECT_EQ(scratch->count(QStringLiteral("SELECT count(*) FROM downloads")), 3);
    EXPECT_TRUE(scratch->open()->verify().ok());
}
