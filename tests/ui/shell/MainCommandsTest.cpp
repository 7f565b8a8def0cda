#include "ShellHarness.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {
void setPeriod(DataStore& store) {
    store.Start_Day = QStringLiteral("05");
    store.Start_Month = QStringLiteral("03");
    store.Start_Year = QStringLiteral("2007");
    store.End_Day = QStringLiteral("09");
    store.End_Month = QStringLiteral("03");
    store.End_Year = QStringLiteral("2007");
}
QStringList period(const DataStore& s) {
    return {s.Start_Day, s.Start_Month, s.Start_Year, s.End_Day, s.End_Month, s.End_Year};
}
} // namespace

TEST(AnalysisCommands, EachClosesTheOpenWindowsThenOpensTheDataSourceDialog) {
    struct Case {
        const char* action;
        const char* view;
        bool clearsPeriod;
        const char* graphDaysText;
    } cases[] = {
        {"mnuGraphique", "Graphique Leq", true, "1"},
        {"mnuTab_Leq", "Tableau Leq", true, "7"},
        {"mnuEvenements", "Tableau Evénements", true, "7"},
        {"mnuParametres", "Tableau Paramètres", false, "7"},
    };
    for (const Case& c : cases) {
        ShellHarness h;
        h.main->open(WindowId::frmTableau_Leq);
        h.main->open(WindowId::frmInTableau);
        setPeriod(h.store);
        h.store.Graph_Days_Text = QStringLiteral("7");
        const QStringList before = period(h.store);
        h.log.clear();

        h.action(c.action)->trigger();

        EXPECT_EQ(h.log, (QStringList{"close frmInTableau", "close frmTableau_Leq", "open frmData_Type"}))
            << c.action;
        EXPECT_EQ(h.store.Requested_View, QString::fromUtf8(c.view)) << c.action;
        EXPECT_EQ(period(h.store), c.clearsPeriod ? QStringList(6, QString()) : before) << c.action;
        EXPECT_EQ(h.store.Graph_Days_Text, QString::fromLatin1(c.graphDaysText)) << c.action;
        EXPECT_NE(h.main->window(WindowId::frmData_Type), nullptr) << c.action;
    }
}

TEST(Quit, StopsATransferClosesEveryWindowAndTheMainWindow) {
    ShellHarness h;
    h.main->show();
    h.main->open(WindowId::frmData_Type);
    h.main->open(WindowId::frmWait);
    h.store.Abort_Flag = kFalse;
    h.store.Transfer_Step = 2;
    QSignalSpy closed(h.main.get(), &FrmMain::closed);
    h.log.clear();

    h.action("mnuQuitter")->trigger();

    EXPECT_EQ(h.store.Abort_Flag, kTrue);
    EXPECT_EQ(h.store.Transfer_Step, 0);
    EXPECT_EQ(h.log, (QStringList{"close frmData_Type", "close frmWait"}));
    EXPECT_FALSE(h.main->isVisible());
    EXPECT_TRUE(h.main->wasClosed());
    EXPECT_EQ(closed.count(), 1);
}

TEST(Quit, ClosingTheMainWindowIsNeverRefusedAndClosesTheWindowsFirst) {
    ShellHarness h;
    h.main->show();
    h.main->open(WindowId::frmWait);
    h.main->showAbout();
    h.log.clear(); // the about box closed frmWait on opening, as every window does

    h.main->open(WindowId::frmWait);
    EXPECT_TRUE(h.main->close());
    EXPECT_EQ(h.log, (QStringList{"open frmWait", "close frmWait"}));
    EXPECT_EQ(h.main->aboutBox(), nullptr);
    EXPECT_FALSE(h.main->isVisible());
}

TEST(WaitWindowFollowsMainWindow, HiddenOnMinimiseShownOnMaximiseNormalChangesNothing) {
    ShellHarness h;
    h.main->show();
    h.main->open(WindowId::frmWait);
    QWidget* wait = h.main->window(WindowId::frmWait);
    ASSERT_NE(wait, nullptr);

    const struct {
        Qt::WindowState state;
        bool waitHidden;
    } steps[] = {
        {Qt::WindowMinimized, true}, {Qt::WindowNoState, true},   {Qt::WindowMaximized, false},
        {Qt::WindowNoState, false},  {Qt::WindowMinimized, true}, {Qt::WindowMaximized, false},
    };
    for (const auto& step : steps) {
        h.main->setWindowState(step.state);
        EXPECT_EQ(wait->isHidden(), step.waitHidden) << step.state;
        EXPECT_EQ(h.store.Open_frmWait, kTrue);
    }
}

TEST(WaitWindowFollowsMainWindow, OtherWindowsAreLeftAlone) {
    ShellHarness h;
    h.main->show();
    h.main->open(WindowId::frmData_Type);
    QWidget* dialog = h.main->window(WindowId::frmData_Type);
    h.main->setWindowState(Qt::WindowMinimized);
    EXPECT_FALSE(dialog->isHidden());
    h.main->setWindowState(Qt::WindowMaximized);
    EXPECT_FALSE(dialog->isHidden());
}

// A window brought forward while a transfer runs (a click on the Archives window) goes under the
// progress window, which stays in view.
TEST(WaitWindowFollowsMainWindow, StaysAboveAWindowBroughtForward) {
    ShellHarness h;
    h.main->show();
    h.main->showArchives();
    h.main->open(WindowId::frmWait);
    auto* area = h.main->findChild<QMdiArea*>(QStringLiteral("MDIArea"));
    auto* archives = qobject_cast<QMdiSubWindow*>(h.main->archivesWindow()->parentWidget());
    ASSERT_TRUE(area && archives);
    area->setActiveSubWindow(archives);
    QCoreApplication::processEvents();
    EXPECT_EQ(area->activeSubWindow(), archives); // still usable
    EXPECT_EQ(area->subWindowList(QMdiArea::StackingOrder).last()->widget(),
              h.main->window(WindowId::frmWait));
    h.archive.waitForIdle();
}
