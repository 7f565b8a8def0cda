#include "cli/CliApp.h"
#include "cli/LinkCommands.h"
#include "core/files/SaveFile.h"
#include "core/link/Decoding.h"
#include "core/link/PortTable.h"
#include "core/link/SerialPortProber.h"
#include "sim/Generator.h"
#include "support/EnvironmentGuard.h"
#include "support/ScaledClock.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// "vorl-cli simulate FILE --fast" in its own process, "vorl-cli transfer" against it: the file the
// transfer writes is the file the emulator was given (a generation-5 file apart from its last line,
// the moment of the download).
namespace {

struct Streams {
    QString out, err;
    QTextStream outStream{&out}, errStream{&err};
    CliStreams io{outStream, errStream};
};

QList<QByteArray> fileLines(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll().split('\n');
}

TEST(SimulateTransfer, CommandsCarryASaveFileThroughThePseudoTerminal) {
    const QString cli = QStringLiteral(VORL_BINARY_DIR "/bin/vorl-cli");
    if (!QFileInfo(cli).isExecutable()) GTEST_SKIP() << "vorl-cli not built";
    for (const int generation : {3, 5}) {
        SCOPED_TRACE(generation);
        QTemporaryDir dir;
        const QString original = dir.filePath(QStringLiteral("device.qlv"));
        const QString copy = dir.filePath(QStringLiteral("downloaded.qlv"));
        DataStore generated;
        GenerateIntoStore(generated, {generation, QDate(2023, 11, 20), 3, 5});
        generated.Transfer_Date = QStringLiteral("23/11/2023");
        generated.Transfer_Time = QStringLiteral("09:00:00");
        ASSERT_TRUE(WriteSaveFile(generated, original, generation, LeqRecordCount(generation)));

        QProcess simulate;
        simulate.start(cli, {QStringLiteral("simulate"), original, QStringLiteral("--fast")});
        ASSERT_TRUE(simulate.waitForStarted(5000));
        ASSERT_TRUE(simulate.waitForReadyRead(5000));
        const QString port = QString::fromLocal8Bit(simulate.readLine()).trimmed();
        ASSERT_TRUE(port.startsWith(QStringLiteral("/dev/"))) << port.toStdString();

        ScaledClock clock(5);
        Streams c;
        const int status = runTransferCommand({QStringLiteral("--port"), port, QStringLiteral("--generation"),
                                               QString::number(generation), QStringLiteral("--out"), copy},
                                              c.io, clock);
        simulate.terminate();
        simulate.waitForFinished(5000);
        c.outStream.flush();
        ASSERT_EQ(status, 0) << c.out.toStdString();
        EXPECT_EQ(c.out, copy + QLatin1Char('\n'));

        const QList<QByteArray> before = fileLines(original), after = fileLines(copy);
        ASSERT_EQ(before.size(), after.size());
        for (qsizetype line = 0; line < before.size(); ++line)
            if (generation == 3 || line != 5) {
                EXPECT_TRUE(before[line] == after[line]) << "line " << line + 1;
            }
    }
}

// A generation-3 device paced at ten times its 19200-baud line, the transfer's clock run ten times
// faster too: the dump arrives in the same slices relative to the protocol's waits as on a real
// line (blocks read as they fill, the final block checked while it is still arriving).
TEST(SimulateTransfer, PacedGenerationThreeRunIsALineRunTenTimesShorter) {
    const QString cli = QStringLiteral(VORL_BINARY_DIR "/bin/vorl-cli");
    if (!QFileInfo(cli).isExecutable()) GTEST_SKIP() << "vorl-cli not built";
    QTemporaryDir dir;
    const QString original = dir.filePath(QStringLiteral("device.qlv"));
    const QString copy = dir.filePath(QStringLiteral("downloaded.qlv"));
    DataStore generated;
    GenerateIntoStore(generated, {3, QDate(2023, 11, 20), 3, 7});
    ASSERT_TRUE(WriteSaveFile(generated, original, 3, LeqRecordCount(3)));

    QProcess simulate;
    simulate.start(cli,
                   {QStringLiteral("simulate"), original, QStringLiteral("--speed"), QStringLiteral("10")});
    ASSERT_TRUE(simulate.waitForReadyRead(5000));
    const QString port = QString::fromLocal8Bit(simulate.readLine()).trimmed();

    ScaledClock clock(10);
    QElapsedTimer elapsed;
    elapsed.start();
    Streams c;
    const int status = runTransferCommand({QStringLiteral("--port"), port, QStringLiteral("--generation"),
                                           QStringLiteral("3"), QStringLiteral("--out"), copy},
                                          c.io, clock);
    const qint64 ms = elapsed.elapsed();
    simulate.terminate();
    simulate.waitForFinished(5000);
    c.outStream.flush();
    ASSERT_EQ(status, 0) << c.out.toStdString();
    // 65536 + 514 bytes at 1920 bytes a second, ten times faster: 3.4 s of line time.
    EXPECT_GE(ms, 3300);
    EXPECT_LT(ms, 3440 + 10000);
    EXPECT_EQ(fileLines(original), fileLines(copy));
}

// What scripts/run sets up: the emulator on the sample file, its terminal listed in VORL_PORTS, so
// that it is COM 1 of the port table and the port dialog's probe finds it.
TEST(SimulateTransfer, DemoDeviceIsComOne) {
    const QString cli = QStringLiteral(VORL_BINARY_DIR "/bin/vorl-cli");
    const QString sample = QStringLiteral(VORL_SOURCE_DIR "/samples/gen5-7days.qlv");
    if (!QFileInfo(cli).isExecutable()) GTEST_SKIP() << "vorl-cli not built";
    QProcess simulate;
    simulate.start(cli, {QStringLiteral("simulate"), sample, QStringLiteral("--fast")});
    ASSERT_TRUE(simulate.waitForReadyRead(5000));
    const QString port = QString::fromLocal8Bit(simulate.readLine()).trimmed();

    EnvironmentGuard environment;
    environment.set("VORL_PORTS", port.toLocal8Bit());
    environment.set("VORL_PORTS_ONLY", "1");
    const PortTable table = PortTable::detect();
    EXPECT_EQ(table.devicePath(1), port);
    EXPECT_TRUE(SerialPortProber(table).canOpen(1));

    QTemporaryDir dir;
    const QString copy = dir.filePath(QStringLiteral("com1.qlv"));
    ScaledClock clock(5);
    Streams c;
    EXPECT_EQ(
        runTransferCommand({QStringLiteral("--port"), table.devicePath(1), QStringLiteral("--out"), copy},
                           c.io, clock),
        0);
    simulate.terminate();
    simulate.waitForFinished(5000);
    const QList<QByteArray> before = fileLines(sample), after = fileLines(copy);
    ASSERT_EQ(before.size(), after.size());
    for (qsizetype line = 0; line < 5; ++line)
        EXPECT_TRUE(before[line] == after[line]) << "line " << line + 1;
}

} // namespace
