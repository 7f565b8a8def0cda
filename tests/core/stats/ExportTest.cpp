#include "core/stats/Export.h"
#include "core/stats/ExportFiles.h"
#include "core/stats/StatsReport.h"
#include "support/Fakes.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
DataStore exportStore(int generation) {
    DataStore store;
    store.Device_Version = static_cast<int16_t>(generation);
    store.Leq_Records.fill(255);
    store.Event_Records.fill(255);
    store.Param_Change_Records.fill(255);
    return store;
}

void putRow(LeqTable& t, int r, std::array<int16_t, 8> cells) {
    for (int c = 1; c <= 8; ++c)
        t(r, c) = cells[static_cast<size_t>(c - 1)];
}
void putRow(EventTable& t, int r, std::array<int16_t, 8> cells) {
    for (int c = 1; c <= 8; ++c)
        t(r, c) = cells[static_cast<size_t>(c - 1)];
}
} // namespace

TEST(Csv, QuotingRoundTrips) {
    const ExportTable table{{QStringLiteral("a"), QStringLiteral("b,c")},
                            {{QStringLiteral("plain"), 42},
                             {QStringLiteral("with, comma"), QStringLiteral("say \"hi\"")},
                             {QStringLiteral("Fenêtre\nOuverte"), QVariant()},
                             {QStringLiteral("line\r\nbreak"), QStringLiteral("")}}};
    const QByteArray csv = ToCsv(table);
    EXPECT_TRUE(csv.startsWith("a,\"b,c\"\r\nplain,42\r\n\"with, comma\",\"say \"\"hi\"\"\"\r\n"));
    const QList<QStringList> parsed = ParseCsv(csv);
    ASSERT_EQ(parsed.size(), 5);
    EXPECT_EQ(parsed[0], (QStringList{QStringLiteral("a"), QStringLiteral("b,c")}));
    EXPECT_EQ(parsed[2], (QStringList{QStringLiteral("with, comma"), QStringLiteral("say \"hi\"")}));
    EXPECT_EQ(parsed[3], (QStringList{QStringLiteral("Fenêtre\nOuverte"), QString()}));
    EXPECT_EQ(parsed[4], (QStringList{QStringLiteral("line\r\nbreak"), QString()}));
}

TEST(Export, LevelsOfBothGenerationsWithTheirKinds) {
    DataStore g5 = exportStore(5);
    putRow(g5.Leq_Records, 1, {10, 14, 5, 10, 3, 9, 75, 0});
    putRow(g5.Leq_Records, 2, {11, 14, 5, 1, 3, 9, 5, 1});
    putRow(g5.Leq_Records, 3, {12, 14, 5, 7, 3, 9, 5, 1}); // another type: left out
    putRow(g5.Leq_Records, 4, {0, 0, 6, 1, 3, 9, 80, 0});
    const QList<QStringList> rows = ParseCsv(ToCsv(LevelsExport(g5)));
    ASSERT_EQ(rows.size(), 4);
    EXPECT_EQ(rows[0], (QStringList{"time", "kind", "level_db"}));
    EXPECT_EQ(rows[1], (QStringList{"2009-03-05T14:10:00", "leq10", "75"}));
    EXPECT_EQ(rows[2], (QStringList{"2009-03-05T14:11:00", "leq1", "105"}));

    const ExportPeriod onlyThe6th{QDate(2009, 3, 6), QDate(2009, 3, 6)};
    EXPECT_EQ(LevelsExport(g5, onlyThe6th).rows.size(), 1);

    DataStore g3 = exportStore(3);
    putRow(g3.Leq_Records, 1, {20, 14, 5, 0, 3, 9, 1, 3});
    const QJsonArray json = ToJson(LevelsExport(g3)).array();
    ASSERT_EQ(json.size(), 1);
    EXPECT_EQ(json[0].toObject().value("kind").toString(), QStringLiteral("leq"));
    EXPECT_EQ(json[0].toObject().value("level_db").toInt(), 103);
}

TEST(Export, EventsCarryTheirCodeBytesAndFrenchText) {
    DataStore store = exportStore(5);
    putRow(store.Event_Records, 1, {1, 22, 5, 0, 3, 9, 0, 32});
    putRow(store.Event_Records, 2, {2, 22, 5, 0, 3, 9, 0, 0}); // no event
    putRow(store.Event_Records, 3, {3, 22, 5, 0, 3, 9, 8, 0});
    const QByteArray csv = ToCsv(EventsExport(store));
    const QList<QStringList> rows = ParseCsv(csv);
    ASSERT_EQ(rows.size(), 3);
    EXPECT_EQ(rows[1], (QStringList{"2009-03-05T22:01:00", "0", "32", QStringLiteral("Fenêtre Ouverte")}));
    EXPECT_EQ(rows[2][3], QStringLiteral("Changement d'heure Automatique"));
    const QJsonDocument back = QJsonDocument::fromJson(ToJson(EventsExport(store)).toJson());
    ASSERT_TRUE(back.isArray());
    EXPECT_EQ(back.array()[0].toObject().value("code8").toInt(), 32);
    EXPECT_EQ(back.array()[0].toObject().value("text").toString(), QStringLiteral("Fenêtre Ouverte"));
}

TEST(Export, ParametersInForceThenTheWholeHistory) {
    DataStore store = exportStore(5);
    store.Param_Block[2176] = 1, store.Param_Block[2177] = 5; // day 105
    store.Param_Block[2191] = 22, store.Param_Block[2193] = 7;
    store.Param_Block[6] = 0x4C, store.Param_Block[7] = 0x40;
    store.Transfer_Date = QStringLiteral("07/03/2009");
    store.Transfer_Time = QStringLiteral("10:15:30");
    for (int r : {1, 2}) {
        store.Param_Change_Records.fillRow(r, 0);
        store.Param_Change_Records(r, 2) = int16_t(8 + r);
        store.Param_Change_Records(r, 3) = 1;
        store.Param_Change_Records(r, 5) = 3;
        store.Param_Change_Records(r, 6) = 9;
        store.Param_Change_Records(r, 30) = int16_t(60 + r);
        store.Param_Change_Records(r, 44) = 22;
    }
    const ExportTable table = ParametersExport(store);
    const QList<QStringList> rows = ParseCsv(ToCsv(table));
    ASSERT_EQ(rows.size(), 4);
    EXPECT_EQ(rows[1][0], "current");
    EXPECT_EQ(rows[1][1], "2009-03-07T10:15:00");
    EXPECT_EQ(rows[1][2], "105");
    EXPECT_EQ(rows[1][8], "22");
    EXPECT_EQ(rows[1][9], "7");
    EXPECT_EQ(rows[1][10], QStringLiteral("Norm. Fermé."));
    EXPECT_EQ(rows[1][13], QStringLiteral("Analyse : Pondérée Type A."));
    EXPECT_EQ(rows[2], (QStringList{"change", "2009-03-01T09:00:00", "61", "0", "0", "0", "0", "0", "22", "0",
                                    QStringLiteral("Norm. Ouvert."), QStringLiteral("Désactivée."),
                                    QStringLiteral("Désactivée"), QStringLiteral("Analyse : Linéaire.")}));
    EXPECT_EQ(rows[3][1], "2009-03-01T10:00:00");

    DataStore g3 = exportStore(3);
    g3.Param_Block[2187] = 20;
    const QList<QStringList> g3rows = ParseCsv(ToCsv(ParametersExport(g3)));
    ASSERT_EQ(g3rows.size(), 2); // no history for generation 3
    EXPECT_EQ(g3rows[1][8], "20");
    EXPECT_EQ(g3rows[1][6], "");
}

TEST(Export, StatsTableAndJsonCarryTheNote) {
    DataStore store = exportStore(5);
    putRow(store.Leq_Records, 1, {11, 14, 5, 1, 3, 9, 80, 0});
    const PeriodStats stats = ComputePeriodStats(store, QDate(2009, 3, 5), QDate(2009, 3, 5));
    const QList<QStringList> rows = ParseCsv(ToCsv(StatsExport(stats)));
    ASSERT_GE(rows.size(), 2);
    EXPECT_EQ(rows[1][0], "note");
    EXPECT_EQ(rows[1].last(), kStatsNote);
    const QJsonObject json = QJsonDocument::fromJson(StatsJson(stats).toJson()).object();
    EXPECT_EQ(json.value("note").toString(), kStatsNote);
    const QJsonArray period = json.value("period").toArray();
    ASSERT_EQ(period.size(), 2);
    EXPECT_EQ(period[1].toObject().value("kind").toString(), "leq1");
    EXPECT_DOUBLE_EQ(period[1].toObject().value("leq_db").toDouble(), 80.0);
    EXPECT_EQ(period[1].toObject().value("l50_db").toInt(), 80);
    EXPECT_EQ(json.value("days").toArray().size(), 4); // day and night, leq10 and leq1
}

TEST(ExportCommand, WritesThreeFilesOrSaysWhy) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    DataStore store = exportStore(5);
    putRow(store.Leq_Records, 1, {11, 14, 5, 1, 3, 9, 80, 0});

    FakeUiServices ui;
    EXPECT_FALSE(RunExportCommand(store, ui)); // nothing in memory yet
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, kExportNoData);
    EXPECT_TRUE(ui.saveRequests.empty());

    store.Data_Loaded = kTrue;
    ui.saveAnswers.push_back(std::nullopt); // cancelled
    EXPECT_FALSE(RunExportCommand(store, ui));
    EXPECT_EQ(ui.messages.size(), 1u);

    ui.saveAnswers.push_back(dir.filePath(QStringLiteral("bar.csv")));
    EXPECT_TRUE(RunExportCommand(store, ui));
    const QStringList paths = ExportFilePaths(dir.filePath(QStringLiteral("bar.csv")));
    EXPECT_TRUE(paths[0].endsWith("bar-niveaux.csv"));
    QFile levels(paths[0]);
    ASSERT_TRUE(levels.open(QIODevice::ReadOnly));
    const QList<QStringList> rows = ParseCsv(levels.readAll());
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[1], (QStringList{"2009-03-05T14:11:00", "leq1", "80"}));
    for (const QString& path : paths)
        EXPECT_TRUE(QFile::exists(path)) << path.toStdString();

    ui.saveAnswers.push_back(dir.filePath(QStringLiteral("missing/folder/bar.csv")));
    EXPECT_FALSE(RunExportCommand(store, ui));
    EXPECT_EQ(ui.messages.back().icon, MessageIcon::Critical);
    EXPECT_TRUE(ui.messages.back().text.startsWith(kExportFailed));
}

TEST(ExportCommand, AsksBeforeReplacingAnyOfTheThreeFiles) {
    struct Case {
        int existing; // index in ExportFilePaths, -1 for none
        bool yes;
        bool written;
    } cases[] = {{-1, false, true}, {0, true, true}, {1, false, false}, {2, false, false}};
    DataStore store = exportStore(5);
    store.Data_Loaded = kTrue;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.existing);
        QTemporaryDir dir;
        const QString chosen = dir.filePath(QStringLiteral("QLV40.csv"));
        const QStringList paths = ExportFilePaths(chosen);
        if (c.existing >= 0) {
            QFile old(paths[c.existing]);
            ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        }
        FakeUiServices ui;
        ui.saveAnswers.push_back(chosen);
        ui.questionAnswers.push_back(c.yes);

        EXPECT_EQ(RunExportCommand(store, ui), c.written);
        ASSERT_EQ(ui.questions.size(), c.existing >= 0 ? 1u : 0u);
        if (c.existing >= 0) {
            EXPECT_TRUE(ui.questions[0].text.contains(paths[c.existing]));
        }
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(QFileInfo(paths[i]).size() > 0, c.written) << i;
    }
}
