#include "ShellHarness.h"

#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <gtest/gtest.h>

namespace {
struct Entry {
    const char* name;
    const char* caption;
};
} // namespace

TEST(FrmMainMenus, BarEntriesInOrderWithCaptionsAndNames) {
    ShellHarness h;
    const Entry expected[] = {
        {"mnuPort", "&Sélection Port"},
        {"sep3", "|"},
        {"mnuSave_As", "&Enregistrer Sous ..."},
        {"sep4", "|"},
        {"mnuAnalyse", "&Analyse"},
        {"sep7", "|"},
        {"mnuArchivesMenu", "&Archives"},
        {"sep5", "|"},
        {"mnuAbout", "A Propos de ..."},
        {"sep6", "|"},
        {"mnuQuitter", "&Quitter"},
    };
    const QList<QAction*> bar = h.main->menuBar()->actions();
    ASSERT_EQ(bar.size(), std::size(expected));
    for (int i = 0; i < bar.size(); ++i) {
        EXPECT_EQ(bar[i]->objectName(), QString::fromLatin1(expected[i].name)) << i;
        EXPECT_EQ(bar[i]->text(), QString::fromUtf8(expected[i].caption)) << i;
    }
    EXPECT_NE(h.main->findChild<QMenu*>(QStringLiteral("mnuAnalyse")), nullptr);
}

TEST(FrmMainMenus, AnalyseDropDownInOrderWithItsTwoSeparatorLines) {
    ShellHarness h;
    const Entry expected[] = {
        {"mnuGraphique", "Graphique Leq"},
        {"mnuTab_Leq", "Tableau Leq"},
        {"sep1", nullptr},
        {"mnuEvenements", "Tableau Evénements"},
        {"sep2", nullptr},
        {"mnuParametres", "Tableau Paramètres"},
    };
    const QList<QAction*> items = h.main->findChild<QMenu*>(QStringLiteral("mnuAnalyse"))->actions();
    // Entries added since come after these, which keep their places.
    ASSERT_GE(items.size(), std::size(expected));
    for (int i = 0; i < int(std::size(expected)); ++i) {
        EXPECT_EQ(items[i]->objectName(), QString::fromLatin1(expected[i].name)) << i;
        EXPECT_EQ(items[i]->isSeparator(), expected[i].caption == nullptr) << i;
        if (expected[i].caption) {
            EXPECT_EQ(items[i]->text(), QString::fromUtf8(expected[i].caption)) << i;
        }
    }
}

TEST(FrmMainMenus, AtStartOnlySaveAsIsDisabledAndTheTitleIsTheProgramName) {
    ShellHarness h;
    EXPECT_EQ(h.main->windowTitle(), QStringLiteral("VORL Analyser - QLV 40 - Version 5.6"));
    EXPECT_EQ(h.main->caption(), h.main->windowTitle());
    for (QAction* action : h.main->menuBar()->actions())
        EXPECT_EQ(action->isEnabled(), action->objectName() != QLatin1String("mnuSave_As"))
            << action->objectName().toStdString();
    EXPECT_FALSE(h.main->isMenuEnabled(MenuEntry::mnuSave_As));
}

TEST(FrmMainMenus, OtherPartsLockAndUnlockEachEntryAndSetTheStatusLine) {
    ShellHarness h;
    const std::pair<MenuEntry, const char*> entries[] = {
        {MenuEntry::mnuPort, "mnuPort"},       {MenuEntry::mnuSave_As, "mnuSave_As"},
        {MenuEntry::mnuAnalyse, "mnuAnalyse"}, {MenuEntry::mnuAbout, "mnuAbout"},
        {MenuEntry::mnuQuitter, "mnuQuitter"},
    };
    for (const auto& [entry, name] : entries) {
        for (bool enabled : {false, true, false}) {
            h.main->setMenuEnabled(entry, enabled);
            EXPECT_EQ(h.main->isMenuEnabled(entry), enabled) << name;
            EXPECT_EQ(h.action(name)->isEnabled(), enabled) << name;
            // The archive windows also load data and close windows: they follow the analysis lock.
            if (entry == MenuEntry::mnuAnalyse) {
                EXPECT_EQ(h.action("mnuArchivesMenu")->isEnabled(), enabled);
            }
        }
    }
    h.main->setCaption(QStringLiteral("VORL Analyser - QLV 40 - Version 5.6  |  Port de com. : COM 2"));
    EXPECT_EQ(h.main->windowTitle(),
              QStringLiteral("VORL Analyser - QLV 40 - Version 5.6  |  Port de com. : COM 2"));
    h.main->setMainEnabled(false);
    EXPECT_FALSE(h.main->isEnabled());
    EXPECT_FALSE(h.main->isMainEnabled());
    h.main->setMainEnabled(true);
    EXPECT_TRUE(h.main->isMainEnabled());
}

TEST(FrmMainMenus, BarSeparatorsDoNothingAndPortOpensThePortDialog) {
    ShellHarness h;
    for (const char* name : {"sep3", "sep4", "sep5", "sep6", "sep7"})
        h.action(name)->trigger();
    EXPECT_TRUE(h.log.isEmpty());
    EXPECT_FALSE(h.main->wasClosed());

    h.action("mnuPort")->trigger();
    EXPECT_EQ(h.log, QStringList{QStringLiteral("open frmPort")});
    EXPECT_NE(h.main->window(WindowId::frmPort), nullptr);
}

TEST(FrmMainMenus, SaveAsIsHandedToTheSaveCommand) {
    ShellHarness h;
    int requests = 0;
    QObject::connect(h.main.get(), &FrmMain::saveAsRequested, [&] { ++requests; });
    h.action("mnuSave_As")->trigger(); // disabled: nothing happens
    EXPECT_EQ(requests, 0);
    h.main->setMenuEnabled(MenuEntry::mnuSave_As, true);
    h.action("mnuSave_As")->trigger();
    EXPECT_EQ(requests, 1);
}

// A window taller or wider than the work area makes the main window grow so that it is not cut.
TEST(FrmMainWindows, AWindowLargerThanTheWorkAreaGrowsTheMainWindowWithinTheScreen) {
    ShellHarness h(false);
    h.main->show();
    QCoreApplication::processEvents();
    const QSize before = h.main->size();
    // Forty pixels taller than the work area, frame included.
    const QSize tall(300, h.main->findChild<QMdiArea*>()->viewport()->height() + 40);
    h.main->setWindowFactory([tall](WindowId id, AppContext& context) -> QWidget* {
        openFlag(context.store, id) = kTrue;
        auto* window = new QWidget;
        window->resize(tall);
        return window;
    });
    h.main->open(WindowId::frmTableau_Leq_V5);
    QWidget* shown = h.main->window(WindowId::frmTableau_Leq_V5);
    ASSERT_NE(shown, nullptr);
    QCoreApplication::processEvents();
    const QWidget* frame = shown->parentWidget();
    const QRect area = h.main->findChild<QMdiArea*>()->viewport()->rect();
    const QRect screen = h.main->screen()->availableGeometry();
    EXPECT_GT(h.main->height(), before.height());
    EXPECT_LE(h.main->height(), screen.height());
    if (h.main->height() < screen.height()) {
        EXPECT_TRUE(area.contains(frame->geometry())) << frame->geometry().bottom() << " " << area.bottom();
    }
}
