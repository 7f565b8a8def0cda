#include "cli/LinkCommands.h"
#include "cli/CliApp.h"
#include "sim/DeviceEmulator.h"
#include "sim/SampleDevice.h"
#include "support/ScaledClock.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

struct LinkCaptured {
    QString out, err;
    QTextStream outStream{&out}, errStream{&err};
    CliStreams io{outStream, errStream};
    QStringList linkOutLines() {
        outStream.flush();
        return out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
};

TEST(LinkCommands, ArgumentErrors) {
    const QStringList cases[] = {
        {"transfer", "--port", "/dev/null"},
        {"transfer", "--port", "/dev/null", "--generation", "4", "--out", "x.qlv"},
        {"transfer", "--port", "/dev/null", "--generation", "5", "--out"},
        {"transfer", "--port", "/dev/null", "--generation", "5", "--out", "x.qlv", "--speed", "2"},
        {"transfer", "--port", "/dev/null", "--out", "x.qlv", "--timeout", "0"},
        {"transfer", "--port", "/dev/null", "--out", "x.qlv", "--timeout", "soon"},
        {"simulate"},
        {"simulate", "a.qlv", "--answer-from", "two"},
        {"simulate", "a.qlv", "--generation", "7"},
        {"simulate", "a.qlv", "b.qlv"},
    };
    for (const QStringList& args : cases) {
        LinkCaptured c;
        EXPECT_EQ(runCli(QStringList{"vorl-cli"} + args, c.io), 2) << args.join(' ').toStdString();
        c.errStream.flush();
        EXPECT_TRUE(c.err.startsWith(QStringLiteral("vorl-cli ") + args.first())) << c.err.toStdString();
        EXPECT_TRUE(c.out.isEmpty());
    }
}

TEST(LinkCommands, SimulateNeedsAReadableSaveFile) {
    LinkCaptured c;
    EXPECT_EQ(runCli({"vorl-cli", "simulate", "/nonexistent/none.qlv", "--fast"}, c.io), 1);
}

TEST(LinkCommands, TransferFromAMissingPortIsReportedAsAMessage) {
    LinkCaptured c;
    EXPECT_EQ(runCli({"vorl-cli", "transfer", "--port", "/dev/does-not-exist", "--generation", "3", "--out",
                      "x.qlv"},
                     c.io),
              1);
    const QStringList lines = c.linkOutLines();
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0], QStringLiteral("Port de communication indisponible"));
    EXPECT_TRUE(
        lines[1].startsWith(QStringLiteral("Le port de communication /dev/does-not-exist ne peut pas")));
}

TEST(LinkCommands, TransferErrorsFromTheDevice) {
    struct Case {
        const char* what;
        int generation;
        EmulatorOptions options;
        const char* title;
    };
    EmulatorOptions silent, noParams;
    silent.answerFrom = 99;
    noParams.paramReply = false;
    const Case cases[] = {
        {"silent device", 5, silent, "Erreur de transmission (Erreur 01)"},
        {"no parameter zone", 3, noParams, "Erreur de transmission (Erreur 03)"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        EmulatorOptions options = k.options;
        options.generation = k.generation;
        options.fast = true;
        options.replyDelayMs = 10;
        DeviceEmulator emulator(MakeSampleDevice({k.generation, 3, 0.5, false}), options);
        ASSERT_TRUE(emulator.start());
        ScaledClock clock(5);
        LinkCaptured c;
        EXPECT_EQ(runTransferCommand({"--port", emulator.devicePath(), "--generation",
                                      QString::number(k.generation), "--out", "unused.qlv"},
                                     c.io, clock),
                  1);
        const QStringList lines = c.linkOutLines();
        ASSERT_EQ(lines.size(), 2);
        EXPECT_EQ(lines[0], QString::fromUtf8(k.title));
        EXPECT_TRUE(
            lines[1].endsWith(QStringLiteral("cahier de maintenace du logiciel pour résoudre le problème.")));
    }
}

// A complete download: the progress texts on standard error, then the save file. Writing the file
// is the save-file writer's own business; a refusal is reported as a message and a failure.
TEST(LinkCommands, TransferShowsItsProgressThenSaves) {
    EmulatorOptions options;
    options.generation = 5;
    options.fast = true;
    options.replyDelayMs = 10;
    DeviceEmulator emulator(MakeSampleDevice({5, 8, 0.5, false}), options);
    ASSERT_TRUE(emulator.start());
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("device.qlv"));
    ScaledClock clock(5);
    LinkCaptured c;
    const int status =
        runTransferCommand({"--port", emulator.devicePath(), "--generation", "5", "--out", out}, c.io, clock);
    c.errStream.flush();
    for (const char* text :
         {"Transmission en cours ...", "Transmission effectuée avec succès !!!",
          "Classement effectué avec succès !!!", "Traitement des données effectué à 100 %."})
        EXPECT_TRUE(c.err.contains(QString::fromUtf8(text))) << text;
    const QStringList lines = c.linkOutLines();
    if (status == 0) {
        EXPECT_EQ(lines, QStringList{out});
        EXPECT_TRUE(QFileInfo::exists(out));
    } else {
        EXPECT_EQ(status, 1);
        ASSERT_EQ(lines.size(), 2);
        EXPECT_EQ(lines[0], QStringLiteral("Erreur d'enregistrement"));
    }
}

// A save file that cannot be written is refused before the device is woken: a whole download must
// not be thrown away at the end.
TEST(LinkCommands, TransferRefusesAnOutputItCannotWriteBeforeWakingTheDevice) {
    EmulatorOptions options;
    options.fast = true;
    DeviceEmulator emulator(MakeSampleDevice({5, 3, 0.5, false}), options);
    ASSERT_TRUE(emulator.start());
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("folder"));
    ASSERT_TRUE(QDir().mkdir(folder));
    const QString fifo = dir.filePath(QStringLiteral("fifo.qlv"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString toFolder = dir.filePath(QStringLiteral("to-folder.qlv"));
    const QString dangling = dir.filePath(QStringLiteral("dangling.qlv"));
    ASSERT_TRUE(QFile::link(folder, toFolder));
    ASSERT_TRUE(QFile::link(dir.filePath(QStringLiteral("none/x.qlv")), dangling));
    const QString outs[] = {folder, fifo, toFolder, dangling, dir.filePath(QStringLiteral("none/x.qlv"))};
    for (const QString& out : outs) {
        SCOPED_TRACE(out.toStdString());
        ScaledClock clock(5);
        LinkCaptured c;
        EXPECT_EQ(runTransferCommand({"--port", emulator.devicePath(), "--out", out}, c.io, clock), 1);
        const QStringList lines = c.linkOutLines();
        ASSERT_EQ(lines.size(), 2);
        EXPECT_EQ(lines[0], QStringLiteral("Erreur d'enregistrement"));
        EXPECT_TRUE(lines[1].contains(out));
        EXPECT_EQ(emulator.memoryCommands(), 0);
    }
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("none"))));
}

// Once the device has answered, an unattended run ends after --timeout seconds without a byte. The
// output named through a link to a regular file passes the check before.
TEST(LinkCommands, TransferGivesUpOnADeviceThatFallsSilent) {
    EmulatorOptions options;
    options.fast = true;
    options.replyDelayMs = 10;
    options.stallAfter = 20000;
    DeviceEmulator emulator(MakeSampleDevice({5, 3, 0.5, false}), options);
    ASSERT_TRUE(emulator.start());
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("kept.qlv"));
    {
        QFile file(target);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("old");
    }
    const QString link = dir.filePath(QStringLiteral("link.qlv"));
    ASSERT_TRUE(QFile::link(target, link));
    ScaledClock clock(5);
    LinkCaptured c;
    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(
        runTransferCommand({"--port", emulator.devicePath(), "--timeout", "2", "--out", link}, c.io, clock),
        1);
    EXPECT_LT(timer.elapsed(), 5000);
    EXPECT_EQ(emulator.memoryCommands(), 1);
    const QStringList lines = c.linkOutLines();
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0], QStringLiteral("Le QLV 40 ne répond plus"));
    EXPECT_TRUE(lines[1].contains(QStringLiteral(" 2 s ")));
    QFile kept(target);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), QByteArray("old"));
}

} // namespace

// A completed transfer with --archive is written, then archived; the same memory a second time adds
// no record (a download of its own when the PC's clock has passed to another minute, which moves the
// coverage to its transfer); an archive that cannot be opened fails the run but keeps the file.
TEST(LinkCommands, TransferArchivesWhatItDownloaded) {
    EmulatorOptions options;
    options.fast = true;
    options.replyDelayMs = 10;
    DeviceEmulator emulator(MakeSampleDevice({5, 3, 0.5, false}), options);
    ASSERT_TRUE(emulator.start());
    QTemporaryDir dir;
    const QString archive = dir.filePath(QStringLiteral("archive.sqlite"));
    const struct Step {
        QString archive;
        int status;
        const char* stderrHas;
    } steps[] = {
        {archive, 0, "Archivé : "},
        {archive, 0, "0 nouvelles mesures"},
        {dir.path(), 1, ""}, // a folder is no archive file
    };
    int downloads = 0;
    for (const Step& step : steps) {
        SCOPED_TRACE(step.stderrHas);
        const QString out = dir.filePath(QStringLiteral("device-%1.qlv").arg(&step - steps));
        ScaledClock clock(5);
        LinkCaptured c;
        EXPECT_EQ(
            runTransferCommand({"--port", emulator.devicePath(), "--out", out, "--archive", step.archive},
                               c.io, clock),
            step.status);
        c.errStream.flush();
        // Within the same minute the second transfer is the same download.
        const bool same = c.err.contains(QStringLiteral("Déjà dans l'archive"));
        EXPECT_TRUE(c.err.contains(QString::fromUtf8(step.stderrHas)) || (step.status == 0 && same))
            << c.err.toStdString();
        if (step.status == 0 && !same) ++downloads;
        EXPECT_TRUE(QFileInfo::exists(out));
        const QStringList lines = c.linkOutLines();
        ASSERT_EQ(lines.size(), step.status == 0 ? 1 : 3);
        if (step.status != 0) {
            EXPECT_EQ(lines[1], QStringLiteral("Archive"));
            EXPECT_TRUE(lines[2].startsWith(QStringLiteral("Archivage impossible")));
            EXPECT_TRUE(lines[2].contains(out));
        }
    }
    LinkCaptured list;
    EXPECT_EQ(runCli({"vorl-cli", "archive", "list", "--archive", archive}, list.io), 0);
    list.outStream.flush();
    EXPECT_EQ(list.out.count(QStringLiteral(" transfer \"") + emulator.devicePath()), downloads)
        << list.out.toStdString();
}
