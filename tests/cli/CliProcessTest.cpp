#include "core/archive/ScratchArchive.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <cerrno>
#include <cstring>
#include <gtest/gtest.h>

// The installed program as a shell runs it: its own standard streams and environment.
namespace {
QString processSample(const char* name) {
    return QStringLiteral(VORL_SOURCE_DIR "/samples/") + QString::fromLatin1(name);
}

struct ProcessRun {
    int status = -1;
    QString out, err;
};

// Runs build/bin/vorl-cli without a session's runtime folder (as root or in a container), with its
// standard output sent to `stdoutFile` when one is given.
ProcessRun runProgram(const QStringList& args, const QString& stdoutFile = {}) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    process.setProcessEnvironment(env);
    if (!stdoutFile.isEmpty()) process.setStandardOutputFile(stdoutFile);
    process.start(QStringLiteral(VORL_BINARY_DIR "/bin/vorl-cli"), args);
    ProcessRun run;
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit) return run;
    run.status = process.exitCode();
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}
} // namespace

TEST(CliProcess, FullStandardOutputFailsTheRun) {
    const QString days3 = processSample("gen5-3days.qlv");
    const QStringList runs[] = {
        {"info", days3},
        {"table", "leq10", days3, "--from", "05/03/2009", "--to", "07/03/2009"},
        {"stats", days3, "--from", "05/03/2009", "--to", "07/03/2009", "--format", "csv"},
        {"export", days3, "--what", "events", "--format", "json"},
    };
    for (const QStringList& args : runs) {
        const ProcessRun run = runProgram(args, QStringLiteral("/dev/full"));
        EXPECT_EQ(run.status, 1) << args.first().toStdString() << ": " << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(QString::fromLocal8Bit(strerror(ENOSPC)))) << run.err.toStdString();
    }
}

TEST(CliProcess, NormalRunsPrintNothingButTheirOwnLinesOnStandardError) {
    QTemporaryDir dir;
    const ProcessRun info = runProgram({"info", processSample("gen5-3days.qlv")});
    EXPECT_EQ(info.status, 0);
    EXPECT_TRUE(info.err.isEmpty()) << info.err.toStdString();

    // The graph command tells what it reads and writes, and nothing else.
    const ProcessRun graph = runProgram({"graph", processSample("gen5-7days.qlv"), "--start", "24/03/2009",
                                         "--days", "1", "--out", dir.filePath(QStringLiteral("graph.png"))});
    EXPECT_EQ(graph.status, 0) << graph.err.toStdString();
    EXPECT_EQ(graph.err.count(QLatin1Char('\n')), 2) << graph.err.toStdString();
}

// The server drops the session of a running import (a restart): the file in flight fails as a lost
// connection or goes in, every later file gets a new session, and nothing but the program speaks.
TEST(CliProcess, AnImportGoesOnAfterTheServerDroppedItsSession) {
    ScratchArchive scratch(Engine::Postgres);
    if (!scratch.available()) GTEST_SKIP() << "no PostgreSQL server given (VORL_TEST_PG_URL or PGHOST)";
    QTemporaryDir dir;
    const ProcessRun generated = runProgram({"generate", "--history", dir.path(), "--weeks", "12"});
    const QStringList files = generated.out.trimmed().split('\n');
    ASSERT_EQ(files.size(), 11) << generated.err.toStdString(); // a week is missed

    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(VORL_BINARY_DIR "/bin/vorl-cli"),
                  QStringList{"archive", "import", "--archive", scratch.text()} + files);
    // Once the second file is under way.
    QByteArray notes;
    process.setReadChannel(QProcess::StandardError);
    while (notes.count("importing") < 2 && process.waitForReadyRead(60000))
        notes += process.readAllStandardError();
    ArchiveLocation admin = scratch.location;
    admin.database = QStringLiteral("postgres");
    rawQuery(admin,
             QStringLiteral("SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE datname = '%1'")
                 .arg(scratch.location.database));
    ASSERT_TRUE(process.waitForFinished(60000));
    const QString text = QString::fromUtf8(process.readAllStandardOutput());
    const QString err = QString::fromUtf8(notes + process.readAllStandardError());
    EXPECT_FALSE(text.contains(QStringLiteral("erreur inconnue"))) << text.toStdString();
    EXPECT_EQ(err.count('\n'), files.size()) << "one note per file, no warning: " << err.toStdString();
    EXPECT_TRUE(text.contains(files.last() + QStringLiteral(": download "))) << text.toStdString();
    const qint64 imported = text.count(QStringLiteral(": download "));
    EXPECT_GE(imported, files.size() - 1);
    EXPECT_EQ(scratch.count(QStringLiteral("SELECT count(*) FROM downloads")), imported);
    if (imported < files.size()) {
        EXPECT_TRUE(text.contains(QStringLiteral("connexion"))) << text.toStdString();
    }
}
