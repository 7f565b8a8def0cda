#include "ui/files/FrmWaitSave.h"
#include "core/files/SaveFile.h"
#include "support/FakeWindowHost.h"
#include "ui/files/SaveCommandUi.h"

#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct Snapshot {
    int value = -1, maximum = -1;
    QString saveEnCours, patientez, progression;
    bool pictureShown = false;
};

Snapshot snapshot(QWidget* window) {
    Snapshot s;
    if (!window) return s;
    auto* bar = window->findChild<QProgressBar*>(QStringLiteral("ProgressBar_Save"));
    s.value = bar->value();
    s.maximum = bar->maximum();
    s.saveEnCours = window->findChild<QLabel*>(QStringLiteral("Label_Save_en_Cours"))->text();
    s.patientez = window->findChild<QLabel*>(QStringLiteral("Label_Patientez"))->text();
    s.progression = window->findChild<QLabel*>(QStringLiteral("Label_Progression"))->text();
    s.pictureShown = !window->findChild<QLabel*>(QStringLiteral("Picture_Good"))->isHidden();
    return s;
}

} // namespace

TEST(FrmWaitSaveTest, LoadSetsItsFlagTextsAndMaximum) {
    for (int generation : {3, 5}) {
        FakeAppContext app;
        app.store.Device_Version = static_cast<int16_t>(generation);
        auto* window = new FrmWaitSave(app.ctx);
        app.windows.adopt(WindowId::frmWait_Save, window);
        EXPECT_TRUE(isTrue(app.store.Open_frmWait_Save));
        const Snapshot s = snapshot(window);
        EXPECT_EQ(s.maximum, generation == 3 ? 8512 : 16700);
        EXPECT_EQ(s.value, 0);
        EXPECT_EQ(s.saveEnCours, QStringLiteral("Sauvegarde en cours ..."));
        EXPECT_EQ(s.patientez, QStringLiteral("Veuillez patientez SVP..."));
        EXPECT_EQ(s.progression, QStringLiteral("Sauvegarde effecuée à 00%."));
        EXPECT_FALSE(s.pictureShown);
        window->close();
        EXPECT_FALSE(isTrue(app.store.Open_frmWait_Save));
    }
}

TEST(SaveCommandUiTest, SavesWithTheProgressWindowAndClosesIt) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("site.qlv"));
    FakeAppContext app;
    app.windows.factories[WindowId::frmWait_Save] = [&app] { return createFrmWaitSave(app.ctx); };
    app.store.Data_Loaded = kTrue;
    app.store.Device_Version = 3;
    app.store.Leq_Records(1, 3) = 5; // one dated record: 5 September 2009, 00:00
    app.store.Leq_Records(1, 5) = 9;
    app.store.Leq_Records(1, 6) = 9;
    app.store.Open_frmInTableau = kTrue;
    app.ui.saveAnswers = {file};

    Snapshot first, last;
    app.clock.onWait = [&] {
        const Snapshot now = snapshot(app.windows.window(WindowId::frmWait_Save));
        if (first.value < 0) first = now;
        if (now.value >= 0) last = now;
    };
    runSaveCommand(app.ctx);

    EXPECT_EQ(app.ui.saveRequests.at(0).first,
              QStringLiteral("Données QLV 40 du 05 Septembre 2009 au 05 Septembre 2009"));
    EXPECT_TRUE(QFile::exists(file));
    EXPECT_EQ(app.windows.unloaded, (std::vector<WindowId>{WindowId::frmInTableau, WindowId::frmWait_Save}));
    EXPECT_FALSE(isTrue(app.store.Open_frmWait_Save));
    EXPECT_EQ(first.progression, QStringLiteral("Sauvegarde effecuée à 00%."));
    EXPECT_EQ(last.value, 8512);
    EXPECT_EQ(last.saveEnCours, QString());
    EXPECT_EQ(last.patientez, QStringLiteral("Sauvegarde terminée avec succès !!!"));
    EXPECT_EQ(last.progression, QStringLiteral("Sauvegarde effectuée à 100%."));
    EXPECT_TRUE(last.pictureShown);
    EXPECT_TRUE(app.shell.isMenuEnabled(MenuEntry::mnuSave_As));
    EXPECT_TRUE(app.ui.messages.empty());
}

// The completed save shows longer texts and the check mark: none of them may be cut.
TEST(FrmWaitSaveTest, CompletedTextsAndCheckMarkFitTheWindow) {
    FakeAppContext app;
    app.store.Device_Version = 5;
    auto* window = new FrmWaitSave(app.ctx);
    app.windows.adopt(WindowId::frmWait_Save, window);
    // The main window frames it at its load size: it must not need to grow at the end.
    const QSize atLoad = window->size();
    SaveProgress progress(5);
    progress.complete();
    window->showProgress(progress.view());
    window->show();
    QCoreApplication::processEvents();
    for (const char* name : {"Label_Patientez", "Label_Progression", "Picture_Good"}) {
        auto* label = window->findChild<QLabel*>(QString::fromLatin1(name));
        EXPECT_LE(label->sizeHint().width(), label->width()) << name << " " << label->text().toStdString();
        EXPECT_LE(label->sizeHint().height(), label->height()) << name;
    }
    EXPECT_FALSE(window->findChild<QLabel*>(QStringLiteral("Picture_Good"))->pixmap().isNull());
    EXPECT_EQ(window->size(), atLoad);
    window->close();
}
