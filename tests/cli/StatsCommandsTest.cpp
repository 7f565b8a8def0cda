#include "cli/StatsCommands.h"
#include "CliRun.h"
#include "TwoEveningsFile.h"
#include "cli/CliApp.h"
#include "core/stats/Export.h"
#include "core/stats/StatsReport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using StatsCli = TwoEveningsFile;
} // namespace

TEST_F(StatsCli, TextCsvAndJsonAgree) {
    const CliRun text = runVorlCli({"stats", file, "--from", "02/03/2009", "--to", "04/03/2009"});
    ASSERT_EQ(text.status, 0) << text.err.toStdString();
    EXPECT_TRUE(text.out.contains(kStatsNoteLines.join(QLatin1Char('\n'))));
    EXPECT_TRUE(text.out.contains(QStringLiteral("Niveaux des valeurs Leq1 enregistrées : L10 = ")));

    const CliRun csv =
        runVorlCli({"stats", file, "--from", "02/03/2009", "--to", "04/03/2009", "--format", "csv"});
    ASSERT_EQ(csv.status, 0);
    const QList<QStringList> rows = ParseCsv(csv.out.toUtf8());
    ASSERT_GE(rows.size(), 3);
    const int columns = int(rows[0].size());
    for (const QStringList& row : rows)
        EXPECT_EQ(row.size(), columns);
    EXPECT_EQ(rows[3][3], "leq1");

    const CliRun json =
        runVorlCli({"stats", file, "--from", "02/03/2009", "--to", "04/03/2009", "--format", "json"});
    const QJsonObject root = QJsonDocument::fromJson(json.out.toUtf8()).object();
    const QJsonObject leq1 = root.value("period").toArray().at(1).toObject();
    EXPECT_EQ(QString::number(leq1.value("count").toInt()), rows[3][4]);
    EXPECT_GT(leq1.value("count").toInt(), 0);
    // Two evenings, each in a day from noon to noon; the empty day of the 4th is not listed.
    EXPECT_EQ(root.value("days").toArray().size(), 2 * 2 * 2);
}

TEST_F(StatsCli, TypedThresholdsCountMoreMinutesWhenLower) {
    auto minutes = [&](const char* thresholds) {
        const CliRun run = runVorlCli({"stats", file, "--from", "02/03/2009", "--to", "04/03/2009",
                                       "--thresholds", thresholds, "--format", "json"});
        int total = 0;
        for (const QJsonValue& row :
             QJsonDocument::fromJson(run.out.toUtf8()).object().value("days").toArray())
            if (row.toObject().value("kind").toString() == "leq1")
                total += row.toObject().value("minutes_above").toInt();
        return total;
    };
    EXPECT_GT(minutes("0,0,22,6"), minutes("120,120,22,6"));
    EXPECT_EQ(minutes("250,250,22,6"), 0);
}

TEST_F(StatsCli, ExportRoundTrips) {
    for (const char* what : {"levels", "events", "params"}) {
        const CliRun csv = runVorlCli({"export", file, "--what", what, "--format", "csv"});
        ASSERT_EQ(csv.status, 0) << what << csv.err.toStdString();
        const CliRun json = runVorlCli({"export", file, "--what", what, "--format", "json"});
        const QJsonArray array = QJsonDocument::fromJson(json.out.toUtf8()).array();
        const QList<QStringList> rows = ParseCsv(csv.out.toUtf8());
        ASSERT_EQ(rows.size() - 1, array.size()) << what;
        ASSERT_GT(array.size(), 0) << what;
        const QJsonObject first = array.first().toObject();
        for (qsizetype c = 0; c < rows[0].size(); ++c) {
            const QJsonValue value = first.value(rows[0][c]);
            const QString asText = value.isDouble() ? QString::number(value.toDouble()) : value.toString();
            EXPECT_EQ(asText, rows[1][c]) << what << " " << rows[0][c].toStdString();
        }
    }
    const CliRun oneDay = runVorlCli({"export", file, "--what", "levels", "--from", "03/03/2009", "--to",
                                      "03/03/2009", "--format", "csv"});
    const QList<QStringList> rows = ParseCsv(oneDay.out.toUtf8());
    ASSERT_GT(rows.size(), 1);
    for (qsizetype r = 1; r < rows.size(); ++r)
        EXPECT_TRUE(rows[r][0].startsWith("2009-03-03T")) << rows[r][0].toStdString();
}

TEST_F(StatsCli, RefusesBadArguments) {
    const QList<QStringList> bad = {
        {"stats", file, "--from", "02/03/2009"},
        {"stats", file, "--from", "02/03/2009", "--to", "xx"},
        {"stats", file, "--from", "02/03/2009", "--to", "04/03/2009", "--thresholds", "70,60,25,6"},
        {"stats", file, "--from", "02/03/2009", "--to", "04/03/2009", "--format", "xml"},
        {"export", file, "--what", "cuts", "--format", "csv"},
        {"export", file, "--what", "levels", "--format", "text"},
        {"export", file, "--what", "levels"},
        {"export", file, "--serial", "1", "--what", "levels", "--format", "csv"},
        {"stats", "--archive", "a.sqlite", "--from", "02/03/2009", "--to", "04/03/2009"},
    };
    for (const QStringList& args : bad)
        EXPECT_EQ(runVorlCli(args).status, 2) << args.join(' ').toStdString();
    const CliRun reversed = runVorlCli({"stats", file, "--from", "04/03/2009", "--to", "02/03/2009"});
    EXPECT_EQ(reversed.status, 1);
    EXPECT_TRUE(reversed.out.contains(QStringLiteral("Veuillez entrer des dates cohérentes SVP !!!")));
}

TEST(ParseThresholds, AcceptsFourNumbers) {
    const auto t = ParseThresholds(QStringLiteral("70, 60,22,6"));
    ASSERT_TRUE(t.has_value());
    EXPECT_EQ(t->day, 70);
    EXPECT_EQ(t->nightDayHour, 6);
    for (const char* bad : {"70,60,22", "a,b,c,d", "70,60,22,6,1", "-1,60,22,6"})
        EXPECT_FALSE(ParseThresholds(QString::fromLatin1(bad)).has_value()) << bad;
}

namespace {
QStringList csvLines(const QString& text) {
    return text.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts).mid(1);
}
} // namespace

// Nine weeks of one device imported into an archive. Through --serial, a period read in several
// chunks gives what the same days extracted into one save file give; over months every record is
// read once and every day with records is there.
TEST(StatsArchiveCli, PeriodsOfAnArchivedDeviceReadChunkByChunk) {
    QTemporaryDir dir;
    const CliRun generated = runVorlCli({"generate", "--history", dir.filePath(QStringLiteral("h")),
                                         "--weeks", "9", "--start", "07/09/2026"});
    ASSERT_EQ(generated.status, 0) << generated.err.toStdString();
    const QStringList files = generated.out.trimmed().split('\n');
    const QString archive = dir.filePath(QStringLiteral("archive.sqlite"));
    ASSERT_EQ(runVorlCli(QStringList{"archive", "import", "--archive", archive} + files).status, 0);
    const QString serial = QRegularExpression(QStringLiteral("serial: (\\d+)"))
                               .match(runVorlCli({"info", files[0]}).out)
                               .captured(1);
    const QStringList bySerial{"--serial", serial, "--archive", archive};
    const QString extracted = dir.filePath(QStringLiteral("period.qlv"));
    ASSERT_EQ(runVorlCli(QStringList{"archive", "extract", "--from", "14/09/2026", "--to", "22/09/2026",
                                     "--out", extracted} +
                         bySerial)
                  .status,
              0);

    // Nine days: a chunk of seven and one of two. The statistics end a day early: their last day
    // runs to noon of the next.
    const QStringList sameAsFile[] = {
        {"stats", "--from", "14/09/2026", "--to", "21/09/2026", "--format", "text"},
        {"stats", "--from", "14/09/2026", "--to", "21/09/2026", "--format", "json"},
        {"export", "--what", "levels", "--from", "14/09/2026", "--to", "22/09/2026", "--format", "csv"},
        {"export", "--what", "events", "--from", "14/09/2026", "--to", "22/09/2026", "--format", "json"},
        {"export", "--what", "params", "--from", "14/09/2026", "--to", "22/09/2026", "--format", "csv"},
    };
    for (const QStringList& args : sameAsFile) {
        SCOPED_TRACE(args.join(' ').toStdString());
        const CliRun fromFile = runVorlCli(QStringList{args.first(), extracted} + args.mid(1));
        const CliRun fromArchive = runVorlCli(args + bySerial);
        ASSERT_EQ(fromFile.status, 0) << fromFile.out.toStdString();
        ASSERT_EQ(fromArchive.status, 0) << fromArchive.out.toStdString();
        EXPECT_GT(fromFile.out.count('\n'), 3);
        EXPECT_EQ(fromArchive.out, fromFile.out);
    }

    // Months: the days of the weekly files, each record once.
    QSet<QString> daysOfFiles;
    for (const QString& file : files)
        for (const QString& line :
             csvLines(runVorlCli({"export", file, "--what", "levels", "--format", "csv"}).out))
            daysOfFiles.insert(line.left(10));
    const QStringList months{"--from", "01/08/2026", "--to", "30/11/2026"};
    const CliRun levels =
        runVorlCli(QStringList{"export", "--what", "levels", "--format", "csv"} + months + bySerial);
    const CliRun stats = runVorlCli(QStringList{"stats", "--format", "json"} + months + bySerial);
    ASSERT_EQ(levels.status, 0);
    ASSERT_EQ(stats.status, 0);
    QSet<QString> days;
    QMap<QString, int> perKind;
    for (const QString& line : csvLines(levels.out)) {
        days.insert(line.left(10));
        ++perKind[line.section(',', 1, 1)];
    }
    EXPECT_GT(days.size(), 50); // nine weeks less the missed one
    EXPECT_EQ(days, daysOfFiles);
    for (const QJsonValue& row : QJsonDocument::fromJson(stats.out.toUtf8())["period"].toArray())
        EXPECT_EQ(row["count"].toInt(), perKind.value(row["kind"].toString()))
            << row["kind"].toString().toStdString();
}
