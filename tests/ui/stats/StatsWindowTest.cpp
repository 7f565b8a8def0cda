#include "core/stats/StatsReport.h"
#include "core/tables/PeriodDialog.h"
#include "ui/shell/ShellHarness.h"
#include "ui/stats/FrmStatistiques.h"
#include "ui/tables/TablesUiFixture.h"

#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QPushButton>
#include <QTest>

namespace {
struct StatsWindowTest : TablesUiTest {
    void SetUp() override {
        TablesUiTest::SetUp();
        store.Device_Version = 5;
        store.Leq_Records.fill(255);
        store.Event_Records.fill(255);
        store.Param_Change_Records.fill(255);
        const int16_t row[8] = {11, 14, 5, 1, 3, 9, 80, 0};
        for (int c = 1; c <= 8; ++c)
            store.Leq_Records(1, c) = row[c - 1];
        SetPeriodStart(store, QDate(2009, 3, 5));
        SetPeriodEnd(store, QDate(2009, 3, 5));
        store.Requested_View = kViewStatistics;
    }
};

QString pdfWordText(const QString& path) {
    QProcess process;
    process.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
    process.waitForFinished(20000);
    return QString::fromUtf8(process.readAllStandardOutput()).simplified();
}
} // namespace

TEST_F(StatsWindowTest, ShowsTheFiguresOfThePeriodAndPrintsThem) {
    auto* window = new frmStatistiques(ctx);
    host.adopt(WindowId::frmStatistiques, window);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Statistiques"));
    EXPECT_TRUE(isTrue(store.Open_frmStatistiques));
    EXPECT_EQ(window->findChild<QLabel*>(QStringLiteral("Label_Entete"))->text(),
              QStringLiteral("Statistiques des valeurs Leq du 05/03/2009 :"));
    auto* list = window->findChild<QListWidget*>(QStringLiteral("List_Statistiques"));
    ASSERT_NE(list, nullptr);
    QStringList lines;
    for (int i = 0; i < list->count(); ++i)
        lines << list->item(i)->text();
    EXPECT_EQ(lines.mid(0, kStatsNoteLines.size()), kStatsNoteLines);
    EXPECT_TRUE(lines.contains(QStringLiteral("    Leq1 : 1 valeurs,  Leq moyen = 80.0 dB.")));

    QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("Cmd_Print")), Qt::LeftButton);
    EXPECT_EQ(printer.requests, 1);
    const QString words = pdfWordText(printer.path);
    EXPECT_TRUE(words.contains(QStringLiteral("Statistiques des valeurs Leq du 05/03/2009")));
    EXPECT_TRUE(words.contains(QStringLiteral("Leq moyen = 80.0 dB.")));

    window->close();
    EXPECT_FALSE(isTrue(store.Open_frmStatistiques));
}

TEST_F(StatsWindowTest, NewStatisticsGoBackToThePeriodDialog) {
    auto* window = new frmStatistiques(ctx);
    host.adopt(WindowId::frmStatistiques, window);
    QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("Cmd_New_Tableau")), Qt::LeftButton);
    ASSERT_FALSE(host.opened.empty());
    EXPECT_EQ(host.opened.back(), WindowId::frmInTableau);
    EXPECT_EQ(PeriodDialogCaption(store.Requested_View), QStringLiteral("Paramètres des statistiques"));
    EXPECT_EQ(TableWindowFor(store), WindowId::frmStatistiques);
}

TEST(StatsMenus, OriginalAnalyseEntriesKeepTheirPlacesAndTheNewOnesFollow) {
    ShellHarness h;
    struct Entry {
        const char* name;
        const char* caption; // nullptr: a separator line
    };
    const Entry expected[] = {
        {"mnuGraphique", "Graphique Leq"},
        {"mnuTab_Leq", "Tableau Leq"},
        {"sep1", nullptr},
        {"mnuEvenements", "Tableau Evénements"},
        {"sep2", nullptr},
        {"mnuParametres", "Tableau Paramètres"},
        {"sepStatistiques", nullptr},
        {"mnuStatistiques", "Statistiques"},
        {"mnuExporter", "Exporter ..."},
    };
    const QList<QAction*> items = h.main->findChild<QMenu*>(QStringLiteral("mnuAnalyse"))->actions();
    ASSERT_EQ(items.size(), std::size(expected));
    for (int i = 0; i < items.size(); ++i) {
        EXPECT_EQ(items[i]->objectName(), QString::fromLatin1(expected[i].name)) << i;
        EXPECT_EQ(items[i]->isSeparator(), expected[i].caption == nullptr) << i;
        if (expected[i].caption) {
            EXPECT_EQ(items[i]->text(), QString::fromUtf8(expected[i].caption)) << i;
        }
    }
}

TEST(StatsMenus, StatisticsGoThroughTheDataSourceDialogAndExportNeedsData) {
    ShellHarness h;
    h.store.Start_Day = QStringLiteral("05");
    h.main->findChild<QAction*>(QStringLiteral("mnuStatistiques"))->trigger();
    EXPECT_EQ(h.store.Requested_View, QStringLiteral("Statistiques"));
    EXPECT_TRUE(h.store.Start_Day.isEmpty());
    EXPECT_EQ(h.log.back(), QStringLiteral("open frmData_Type"));

    h.main->findChild<QAction*>(QStringLiteral("mnuExporter"))->trigger();
    ASSERT_EQ(h.ui.messages.size(), 1u);
    EXPECT_EQ(h.ui.messages[0].title, QStringLiteral("Exportation des données"));
}
