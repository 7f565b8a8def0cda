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
