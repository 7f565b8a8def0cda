#include "ShellHarness.h"

#include "ui/shell/Application.h"

#include <QApplication>
#include <QLabel>
#include <gtest/gtest.h>

namespace {
QWidget* visibleSplash() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String("frmStart") && w->isVisible()) return w;
    return nullptr;
}

// Values the start-up must overwrite, so that a value written too early or not at all shows.
void spoil(DataStore& store) {
    store.Com_Port = 7;
    store.Device_Version = 3;
    store.Graph_Days = 7;
    store.Requested_View = QStringLiteral("Tableau Leq");
    store.graphDate(8, 3) = QStringLiteral("2009");
    store.Template_Drawn = kTrue;
    store.Data_Loaded = kTrue;
}

struct StartSnapshot {
    bool mainEnabled;
    bool splashShown;
    int16_t comPort;
};
} // namespace

TEST(StartUp, SplashHoldsTheMainWindowDisabledThenStartValuesThenPortDialog) {
    ShellHarness h;
    spoil(h.store);
    std::vector<StartSnapshot> duringWait;
    h.clock.onWait = [&] {
        duringWait.push_back({h.main->isEnabled(), visibleSplash() != nullptr, h.store.Com_Port});
    };
    StartSnapshot atPortDialog{};
    h.main->setWindowFactory([&](WindowId id, AppContext&) -> QWidget* {
        atPortDialog = {h.main->isEnabled(), visibleSplash() != nullptr, h.store.Com_Port};
        return new RecordingWindow(id, h.store, h.log);
    });

    ASSERT_TRUE(runStartUp(*h.main));

    ASSERT_FALSE(duringWait.empty());
    for (const StartSnapshot& s : duringWait) {
        EXPECT_FALSE(s.mainEnabled);
        EXPECT_TRUE(s.splashShown);
        EXPECT_EQ(s.comPort, 7); // start values come after the splash
    }
    EXPECT_GE(h.clock.now, 3000);

    EXPECT_EQ(h.log, QStringList{QStringLiteral("open frmPort")}); // the one window, opened last
    EXPECT_TRUE(atPortDialog.mainEnabled);
    EXPECT_FALSE(atPortDialog.splashShown);
    EXPECT_EQ(atPortDialog.comPort, 0);

    EXPECT_TRUE(h.main->isVisible());
    EXPECT_TRUE(h.main->isEnabled());
    EXPECT_FALSE(h.main->isMenuEnabled(MenuEntry::mnuSave_As));
    EXPECT_EQ(h.main->caption(), QStringLiteral("VORL Analyser - QLV 40 - Version 5.6"));
    EXPECT_EQ(h.store.Com_Port, 0);
    EXPECT_EQ(h.store.Device_Version, 5);
    EXPECT_EQ(h.store.Graph_Days, 1);
    EXPECT_TRUE(h.store.Requested_View.isEmpty());
    EXPECT_EQ(h.store.graphDate(8, 3), QStringLiteral("0"));
    EXPECT_EQ(h.store.Template_Drawn, kFalse);
    EXPECT_EQ(h.store.Data_Loaded, kFalse);
    EXPECT_EQ(h.store.Open_frmPort, kTrue);
}

TEST(StartUp, SplashShowsItsNamesAndPictures) {
    ShellHarness h;
    std::map<QString, QString> texts;
    bool picturesShown = false;
    h.clock.onWait = [&] {
        QWidget* splash = visibleSplash();
        if (!splash) return;
        for (const char* name : {"Label1", "Label_Nom_Produit"})
            texts[QString::fromLatin1(name)] = splash->findChild<QLabel*>(QString::fromLatin1(name))->text();
        picturesShown = !splash->findChild<QLabel*>(QStringLiteral("Image_Logo_Torb"))->pixmap().isNull() &&
                        !splash->findChild<QLabel*>(QStringLiteral("Image_QLV_Back"))->pixmap().isNull();
        EXPECT_NE(splash->findChild<QWidget*>(QStringLiteral("Acceuil")), nullptr);
        EXPECT_EQ(splash->palette().color(QPalette::Window), QColor(197, 207, 237));
    };
    runStartUp(*h.main);
    EXPECT_EQ(texts[QStringLiteral("Label1")], QStringLiteral("VORL Analyser"));
    EXPECT_EQ(texts[QStringLiteral("Label_Nom_Produit")], QStringLiteral("QLV 40 - Version 5.6"));
    EXPECT_TRUE(picturesShown); // the pictures are copied beside the test program
}

TEST(StartUp, ClosingTheMainWindowDuringTheSplashEndsTheStartUp) {
    ShellHarness h;
    h.clock.onWait = [&] {
        if (!h.main->wasClosed()) {
            EXPECT_TRUE(h.main->close()); // a close request is never refused
        }
    };
    EXPECT_FALSE(runStartUp(*h.main));
    EXPECT_TRUE(h.log.isEmpty()); // no port dialog for a program that is ending
    EXPECT_TRUE(h.main->isEnabled());
    ShellHarness::flushDeletes();
    EXPECT_EQ(visibleSplash(), nullptr);
}
