#include "cli/GraphCommands.h"
#include "cli/CliApp.h"
#include "core/files/SaveFile.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
struct TemplateRun {
    int status = 0;
    QString out, err;
};

TemplateRun runCommand(const QStringList& args) {
    TemplateRun run;
    QTextStream out(&run.out), err(&run.err);
    CliStreams io{out, err};
    run.status = runCli(QStringList{QStringLiteral("vorl-cli")} + args, io);
    out.flush();
    err.flush();
    return run;
}

TemplateRun printTemplate(DataStore& store, const QStringList& args) {
    TemplateRun run;
    QTextStream out(&run.out), err(&run.err);
    CliStreams io{out, err};
    const auto request = parseTemplateRequest(args, err);
    run.status = request ? printThresholdTemplate(store, *request, io) : 2;
    out.flush();
    err.flush();
    return run;
}

void setDate(auto& table, int row, int day, int month, int year, int hour, int minute) {
    table(row, 1) = static_cast<int16_t>(minute);
    table(row, 2) = static_cast<int16_t>(hour);
    table(row, 3) = static_cast<int16_t>(day);
    table(row, 5) = static_cast<int16_t>(month);
    table(row, 6) = static_cast<int16_t>(year - 2000);
}

// Generation-5 data: one parameter set since 1 March 2007 (80/85/70/75 dB, 22 h / 6 h), the room's
// window closed on 2 March and opened on 9 March at 23:30.
DataStore generation5Data() {
    DataStore store;
    store.Device_Version = 5;
    store.Event_Records.fill(255);
    store.Param_Change_Records.fill(255);
    setDate(store.Param_Change_Records, 1, 1, 3, 2007, 10, 0);
    const int cells[8] = {0, 80, 0, 85, 0, 70, 0, 75};
    for (int i = 0; i < 8; ++i)
        store.Param_Change_Records(1, 29 + i) = static_cast<int16_t>(cells[i]);
    store.Param_Change_Records(1, 44) = 22;
    store.Param_Change_Records(1, 46) = 6;
    setDate(store.Event_Records, 1, 2, 3, 2007, 8, 30);
    store.Event_Records(1, 7) = 0;
    store.Event_Records(1, 8) = 64;
    setDate(store.Event_Records, 2, 9, 3, 2007, 23, 30);
    store.Event_Records(2, 7) = 0;
    store.Event_Records(2, 8) = 32;
    return store;
}
} // namespace

TEST(TemplateCommand, RefusedArguments) {
    const QStringList cases[] = {
        {"template"},
        {"template", "--start", "09/03/2007"},
        {"template", "f.qlv"},
        {"template", "f.qlv", "--start", "2007-02-30"},
        {"template", "f.qlv", "--start", "31/02/2007"},
        {"template", "f.qlv", "--start", "09/03/2007", "--days", "2"},
        {"template", "f.qlv", "--start", "09/03/2007", "--thresholds", "105,95,22"},
        {"template", "f.qlv", "--start", "09/03/2007", "--colour", "red"},
        {"template", "f.qlv", "--start"},
    };
    for (const QStringList& args : cases) {
        const TemplateRun run = runCommand(args);
        EXPECT_EQ(run.status, 2) << args.join(' ').toStdString();
        EXPECT_FALSE(run.err.isEmpty());
        EXPECT_TRUE(run.out.isEmpty());
    }
}

TEST(TemplateCommand, UnreadableFileFails) {
    QTemporaryDir dir;
    const TemplateRun run = runCommand({"template", dir.filePath("missing.qlv"), "--start", "09/03/2007"});
    EXPECT_EQ(run.status, 1);
}

TEST(PrintThresholdTemplate, Generation3NeedsValidThresholds) {
    DataStore store;
    store.Device_Version = 3;
    TemplateRun run =
        printTemplate(store, {"--start", "09/03/2007", "--days", "1", "--thresholds", "105,95,22,6"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "09/03/2007 22:00 105 95\n10/03/2007 06:00 95 105\n");

    run = printTemplate(store, {"--start", "09/03/2007", "--days", "1"});
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(run.err.contains("--thresholds"));

    run = printTemplate(store, {"--start", "09/03/2007", "--thresholds", "105,95,25,6"});
    EXPECT_EQ(run.status, 1);
    const QStringList lines = run.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2) << "the message box as its title and its text";
    EXPECT_EQ(lines[0], "Paramètres du graphique Leq");
}

TEST(PrintThresholdTemplate, Generation5RecordedAndFallback) {
    DataStore store = generation5Data();
    TemplateRun run = printTemplate(store, {"--start", "09/03/2007", "--days", "1"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "09/03/2007 22:00 80 70\n09/03/2007 23:30 70 75\n10/03/2007 06:00 75 85\n");

    // A window starting after the open state changes nothing; one starting before the first state
    // cannot know the window's state: the message, then the template of the current parameters.
    DataStore early = generation5Data();
    early.Param_Block[2177] = 99;
    early.Param_Block[2181] = 88;
    early.Param_Block[2191] = 21;
    early.Param_Block[2193] = 7;
    run = printTemplate(early, {"--start", "01/03/2007", "--days", "3"});
    EXPECT_EQ(run.status, 0);
    const QStringList lines = run.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2 + 6);
    EXPECT_EQ(lines[0], "Impossible d'afficher le gabarit réel!!!");
    EXPECT_TRUE(lines[1].contains("Informations de fenêtre érronées"));
    EXPECT_EQ(lines[2], "01/03/2007 21:00 99 88");
    EXPECT_EQ(lines[7], "04/03/2007 07:00 88 99");
}

TEST(TemplateCommand, Generation5SaveFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath("gen5.qlv");
    ASSERT_TRUE(WriteSaveFile(generation5Data(), path, 5, 8192));
    const TemplateRun run = runCommand({"template", path, "--start", "09/03/2007", "--days", "1"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "09/03/2007 22:00 80 70\n09/03/2007 23:30 70 75\n10/03/2007 06:00 75 85\n");
}

TEST(TemplateCommand, Generation3SaveFileNeedsThresholds) {
    QTemporaryDir dir;
    const QString path = dir.filePath("gen3.qlv");
    DataStore store;
    store.Device_Version = 3;
    ASSERT_TRUE(WriteSaveFile(store, path, 3, 4096));
    TemplateRun run = runCommand({"template", path, "--start", "31/12/2006", "--days", "7"});
    EXPECT_EQ(run.status, 2);
    run =
        runCommand({"template", path, "--start", "31/12/2006", "--days", "7", "--thresholds", "90,80,20,8"});
    EXPECT_EQ(run.status, 0);
    const QStringList lines = run.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 14);
    EXPECT_EQ(lines[0], "31/12/2006 20:00 90 80");
    EXPECT_EQ(lines[13], "07/01/2007 08:00 80 90");
}
