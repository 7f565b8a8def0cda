#include "CliRun.h"
#include "cli/CliApp.h"
#include "support/FileSizeLimit.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cerrno>
#include <cstring>
#include <gtest/gtest.h>
#include <sys/stat.h>

// What the commands that write files and data do with targets that must not be replaced, a full
// disk and a standard output that takes nothing.
namespace {
QString safetySample(const char* name) {
    return QStringLiteral(VORL_SOURCE_DIR "/samples/") + QString::fromLatin1(name);
}

QByteArray contentOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString& path, const QByteArray& content) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

// A command that writes a file: its arguments, the option naming the target and the target's ending.
struct Writer {
    const char* name;
    QStringList args;
    QString option;
    QString suffix;
    bool takesStandardOutput;
};

// An archive holding the three-day sample, made once: its location and the device's serial.
std::pair<QString, QString> safetyArchive() {
    static QTemporaryDir dir;
    static const QString serial = [] {
        const CliRun run = runVorlCli({"archive", "import", safetySample("gen5-3days.qlv"), "--archive",
                                       dir.filePath(QStringLiteral("archive.sqlite"))});
        return run.out.section(QStringLiteral(" of "), 1).section(QLatin1Char(','), 0, 0);
    }();
    return {dir.filePath(QStringLiteral("archive.sqlite")), serial};
}

std::vector<Writer> writers() {
    const QString days3 = safetySample("gen5-3days.qlv");
    const auto [archive, serial] = safetyArchive();
    const QStringList graph = {"graph", safetySample("gen5-7days.qlv"), "--start", "24/03/2009", "--days",
                               "1"};
    const QStringList period = {"--from", "05/03/2009", "--to", "07/03/2009"};
    return {
        {"graph picture", graph, "--out", ".png", false},
        {"graph PDF", graph, "--out", ".pdf", false},
        {"printed graph page", graph + QStringList{"--enlarged", "leq10", "--print-layout"}, "--out", ".pdf",
         false},
        {"table printout", QStringList{"print", "table", "leq10", days3} + period, "--pdf", ".pdf", false},
        {"parameters printout", {"print", "params", days3}, "--pdf", ".pdf", false},
        {"export", {"export", days3, "--what", "levels", "--format", "csv"}, "--out", ".csv", true},
        {"stats", QStringList{"stats", days3, "--format", "json"} + period, "--out", ".json", true},
        {"compliance CSV", QStringList{"compliance", days3, "--format", "csv"} + period, "--out", ".csv",
         true},
        {"compliance PDF", QStringList{"compliance", days3, "--format", "pdf"} + period, "--out", ".pdf",
         false},
        {"generate",
         {"generate", "--generation", "5", "--start", "05/03/2009", "--days", "1"},
         "--out",
         ".qlv",
         false},
        {"archived period",
         QStringList{"archive", "extract", "--archive", archive, "--serial", serial} + period, "--out",
         ".qlv", true},
        {"archived download",
         {"archive", "extract", "--archive", archive, "--download", "1"},
         "--out",
         ".qlv",
         true},
    };
}

CliRun runWriter(const Writer& w, const QString& target) {
    return runVorlCli(w.args + QStringList{w.option, target});
}
} // namespace

TEST(OutputSafety, OnlyRegularFilesAreReplacedAndDashIsStandardOutputForData) {
    for (const Writer& w : writers()) {
        SCOPED_TRACE(w.name);
        QTemporaryDir dir;
        const QString regular = dir.filePath("regular" + w.suffix);
        const QString link = dir.filePath("link" + w.suffix);
        const QString toDevice = dir.filePath("device" + w.suffix);
        const QString fifo = dir.filePath("fifo" + w.suffix);
        ASSERT_TRUE(writeFile(regular, "previous"));
        ASSERT_TRUE(QFile::link(regular, link));
        ASSERT_TRUE(QFile::link(QStringLiteral("/dev/null"), toDevice));
        const QString dangling = dir.filePath("dangling" + w.suffix);
        ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        ASSERT_TRUE(QFile::link(dir.filePath(QStringLiteral("nowhere")), dangling));

        for (const QString& refused : {QStringLiteral("/dev/null"), toDevice, fifo, dir.path(), dangling}) {
            const CliRun run = runWriter(w, refused);
            EXPECT_EQ(run.status, 2) << refused.toStdString() << ": " << run.err.toStdString();
            EXPECT_TRUE(run.err.startsWith("vorl-cli " + w.args.first() + ": ")) << run.err.toStdString();
            EXPECT_FALSE(QFileInfo(refused).isFile()) << refused.toStdString();
        }
        EXPECT_TRUE(QFileInfo(toDevice).isSymLink());

        const CliRun throughLink = runWriter(w, link);
        EXPECT_EQ(throughLink.status, 0) << throughLink.err.toStdString();
        EXPECT_TRUE(QFileInfo(link).isSymLink());
        EXPECT_NE(contentOf(regular), "previous");

        const CliRun dash = runWriter(w, QStringLiteral("-"));
        EXPECT_EQ(dash.status, w.takesStandardOutput ? 0 : 2) << dash.err.toStdString();
        EXPECT_EQ(dash.out.isEmpty(), !w.takesStandardOutput);
        EXPECT_FALSE(QFile::exists(QStringLiteral("-")));
    }
}

TEST(OutputSafety, FullDiskKeepsThePreviousFileAndSaysWhy) {
    for (const Writer& w : writers()) {
        SCOPED_TRACE(w.name);
        QTemporaryDir dir;
        const QString target = dir.filePath("out" + w.suffix);
        ASSERT_TRUE(writeFile(target, "previous"));
        CliRun run;
        {
            // Room for the archive's shared-memory file (32 KiB), not for a save file.
            FileSizeLimit fullDisk(w.args.first() == QLatin1String("archive") ? 64 * 1024 : 1024);
            run = runWriter(w, target);
        }
        EXPECT_EQ(run.status, 1) << run.err.toStdString();
        EXPECT_EQ(contentOf(target), "previous");
        EXPECT_TRUE(run.err.contains(QString::fromLocal8Bit(strerror(EFBIG)))) << run.err.toStdString();
        EXPECT_FALSE(run.err.contains(QStringLiteral(" written to "))) << run.err.toStdString();
        EXPECT_FALSE((run.out + run.err).contains(QStringLiteral("Unknown error"))) << run.err.toStdString();
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 1) << "no temporary file left behind";
    }
}

TEST(OutputSafety, StandardOutputThatTakesNothingFailsTheRun) {
    const QString days3 = safetySample("gen5-3days.qlv");
    const QStringList period = {"--from", "05/03/2009", "--to", "07/03/2009"};
    const QStringList runs[] = {
        {"info", days3},
        QStringList{"table", "leq10", days3} + period,
        QStringList{"stats", days3} + period,
        {"export", days3, "--what", "levels", "--format", "csv"},
        {"archive", "extract", "--archive", safetyArchive().first, "--download", "1", "--out", "-"},
    };
    for (const QStringList& args : runs) {
        QFile full(QStringLiteral("/dev/full"));
        ASSERT_TRUE(full.open(QIODevice::WriteOnly));
        QString err;
        QTextStream out(&full), errStream(&err);
        CliStreams io{out, errStream};
        const int status = runCli(QStringList{QStringLiteral("vorl-cli")} + args, io);
        errStream.flush();
        EXPECT_EQ(status, 1) << args.first().toStdString();
        EXPECT_TRUE(err.contains(QString::fromLocal8Bit(strerror(ENOSPC)))) << err.toStdString();
        EXPECT_FALSE(err.contains(QStringLiteral("row(s)"))) << err.toStdString();
    }
}

TEST(OutputSafety, DataCommandsKeepMessagesOffStandardOutput) {
    const QString days3 = safetySample("gen5-3days.qlv");
    const QStringList reversed = {"--from", "07/03/2009", "--to", "05/03/2009"};
    const QStringList runs[] = {
        QStringList{"export", days3, "--what", "events", "--format", "csv"} + reversed,
        QStringList{"stats", days3, "--format", "csv"} + reversed,
        QStringList{"stats", days3, "--format", "json"} + reversed,
        {"export", QStringLiteral(VORL_SOURCE_DIR "/README.md"), "--what", "levels", "--format", "json"},
        QStringList{"compliance", days3, "--format", "csv"} + reversed,
        {"compliance", QStringLiteral(VORL_SOURCE_DIR "/README.md"), "--from", "05/03/2009", "--to",
         "06/03/2009", "--format", "json"},
    };
    for (const QStringList& args : runs) {
        const CliRun run = runVorlCli(args);
        EXPECT_EQ(run.status, 1) << args.join(' ').toStdString();
        EXPECT_TRUE(run.out.isEmpty()) << run.out.toStdString();
        EXPECT_FALSE(run.err.isEmpty());
    }
}

TEST(CliHelp, EveryCommandAnswersHelpWithItsUsage) {
    const CliRun all = runVorlCli({"--help"});
    EXPECT_EQ(all.status, 0);
    EXPECT_TRUE(all.out.startsWith(QStringLiteral("vorl-cli - "))) << "help2man takes the name line";
    for (const CliCommand& command : cliCommands()) {
        EXPECT_TRUE(all.out.contains("\n  " + command.name + ' ')) << command.name.toStdString();
        for (const QStringList& asked :
             {QStringList{command.name, "--help"}, QStringList{command.name, "-h"}}) {
            const CliRun run = runVorlCli(asked);
            EXPECT_EQ(run.status, 0) << command.name.toStdString();
            EXPECT_TRUE(run.out.startsWith("Usage: vorl-cli " + command.name)) << run.out.toStdString();
            EXPECT_TRUE(run.err.isEmpty());
        }
    }
}
