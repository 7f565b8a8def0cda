#include "ui/app/FrmDataType.h"
#include "core/files/SaveFile.h"
#include "core/link/TransferRunner.h"
#include "support/FakeWindowHost.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

struct FrmDataTypeFixture : ::testing::Test {
    FakeAppContext app;

    FrmDataTypeFixture() {
        app.store.Requested_View = QStringLiteral("Tableau Leq");
        app.windows.factories[WindowId::frmData_Type] = [this] { return createFrmDataType(app.ctx); };
    }
    QWidget* open() {
        app.windows.open(WindowId::frmData_Type);
        return app.windows.window(WindowId::frmData_Type);
    }
    template <class T> T* control(QWidget* dialog, const char* name) {
        T* child = dialog->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(child, nullptr) << name;
        return child;
    }
    bool dialogOpen() const { return isTrue(app.store.Open_frmData_Type); }
};

} // namespace

TEST_F(FrmDataTypeFixture, LoadShowsTheChoicesThePortAndDataAllow) {
    struct Case {
        int16_t port;
        bool data;
        bool lastEnabled, lastChecked, saveChecked, transferEnabled, okEnabled;
    } cases[] = {
        {0, false, false, false, true, false, true},
        {0, true, true, true, false, false, true},
        {4, false, false, false, false, true, false},
        {4, true, true, true, false, true, true},
    };
    for (const Case& c : cases) {
        app.store.Com_Port = c.port;
        app.store.Data_Loaded = c.data ? kTrue : kFalse;
        QWidget* dialog = open();
        SCOPED_TRACE(::testing::Message() << "port " << c.port << " data " << c.data);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Sélection du type de données"));
        EXPECT_EQ(control<QGroupBox>(dialog, "Frame1")->title(),
                  QStringLiteral("Sélectionnez le type de données pour le Tableau Leq"));
        auto* last = control<QRadioButton>(dialog, "Option_Last_Data");
        auto* transfer = control<QRadioButton>(dialog, "Option_New_Transfert");
        EXPECT_EQ(transfer->text(), QStringLiteral("Nouvelles Données  (Transfert des données du QLV 40)"));
        EXPECT_EQ(last->isEnabled(), c.lastEnabled);
        EXPECT_EQ(last->isChecked(), c.lastChecked);
        EXPECT_EQ(control<QRadioButton>(dialog, "Option_New_Save")->isChecked(), c.saveChecked);
        EXPECT_EQ(transfer->isEnabled(), c.transferEnabled);
        EXPECT_FALSE(transfer->isChecked());
        EXPECT_EQ(control<QPushButton>(dialog, "Cmd_Ok")->isEnabled(), c.okEnabled);
        EXPECT_TRUE(control<QLineEdit>(dialog, "Text_Save_Data")->text().isEmpty());
        EXPECT_TRUE(dialogOpen());
    }
}

TEST_F(FrmDataTypeFixture, LoadClosesTheOpenWindowsFirst) {
    app.store.Open_frmTableau_Leq = kTrue;
    app.store.Open_frmInTableau = kTrue;
    open();
    EXPECT_EQ(app.windows.unloaded,
              (std::vector<WindowId>{WindowId::frmInTableau, WindowId::frmTableau_Leq}));
    EXPECT_FALSE(isTrue(app.store.Open_frmTableau_Leq));
    EXPECT_TRUE(dialogOpen());
}

TEST_F(FrmDataTypeFixture, ClickingAnOptionEnablesOk) {
    app.store.Com_Port = 1;
    QWidget* dialog = open();
    auto* ok = control<QPushButton>(dialog, "Cmd_Ok");
    EXPECT_FALSE(ok->isEnabled());
    QTest::mouseClick(control<QRadioButton>(dialog, "Option_New_Transfert"), Qt::LeftButton);
    EXPECT_TRUE(ok->isEnabled());
}

TEST_F(FrmDataTypeFixture, SearchKeepsOnlyQlvFiles) {
    QWidget* dialog = open();
    auto* text = control<QLineEdit>(dialog, "Text_Save_Data");
    app.ui.openAnswers = {QStringLiteral("/mesures/site.qlv"), QStringLiteral("/mesures/SITE.QLV")};
    QTest::mouseClick(control<QPushButton>(dialog, "Cmd_Search"), Qt::LeftButton);
    EXPECT_EQ(text->text(), QStringLiteral("site.qlv"));
    EXPECT_EQ(app.store.Save_File_Path, QStringLiteral("/mesures/site.qlv"));
    QTest::mouseClick(control<QPushButton>(dialog, "Cmd_Search"), Qt::LeftButton);
    EXPECT_TRUE(text->text().isEmpty());
    EXPECT_TRUE(app.store.Save_File_Path.isEmpty());
}

TEST_F(FrmDataTypeFixture, ChosenFileSelectsSavedData) {
    struct Case {
        std::optional<QString> answer;
        bool saveChecked;
    } cases[] = {{QStringLiteral("/mesures/site.qlv"), true},
                 {QStringLiteral("/mesures/site.txt"), false},
                 {std::nullopt, false}};
    app.store.Com_Port = 2;
    app.store.Data_Loaded = kTrue;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer.value_or(QStringLiteral("cancelled")).toStdString());
        QWidget* dialog = open(); // the data in memory is selected
        app.ui.openAnswers = {c.answer};
        QTest::mouseClick(control<QPushButton>(dialog, "Cmd_Search"), Qt::LeftButton);
        EXPECT_EQ(control<QRadioButton>(dialog, "Option_New_Save")->isChecked(), c.saveChecked);
        EXPECT_EQ(control<QRadioButton>(dialog, "Option_Last_Data")->isChecked(), !c.saveChecked);
        EXPECT_TRUE(control<QPushButton>(dialog, "Cmd_Ok")->isEnabled());
    }
}

TEST_F(FrmDataTypeFixture, EmptyOrUnreadableFileLeavesTheDialogOpen) {
    QTemporaryDir dir;
    QWidget* dialog = open(); // no port, no data: "Données sauvegardées" is selected
    auto* ok = control<QPushButton>(dialog, "Cmd_Ok");
    QTest::mouseClick(ok, Qt::LeftButton);
    ASSERT_EQ(app.ui.messages.size(), 1u);
    EXPECT_EQ(app.ui.messages[0].title, QStringLiteral("Pas de fichier sélectionné"));

    app.ui.openAnswers = {dir.filePath(QStringLiteral("missing.qlv"))};
    QTest::mouseClick(control<QPushButton>(dialog, "Cmd_Search"), Qt::LeftButton);
    QTest::mouseClick(ok, Qt::LeftButton);
    ASSERT_EQ(app.ui.messages.size(), 2u);
    EXPECT_EQ(app.ui.messages[1].title, QStringLiteral("Problème de fichier"));
    EXPECT_TRUE(dialogOpen());
    EXPECT_FALSE(dialog->isHidden());
    EXPECT_EQ(app.windows.opened, std::vector<WindowId>{WindowId::frmData_Type});
}

TEST_F(FrmDataTypeFixture, SavedFileOpensThePeriodDialog) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("site.qlv"));
    ASSERT_TRUE(WriteSaveFile(DataStore(), file, 3, 4096));
    QWidget* dialog = open();
    app.ui.openAnswers = {file};
    QTest::mouseClick(control<QPushButton>(dialog, "Cmd_Search"), Qt::LeftButton);
    QTest::mouseClick(control<QPushButton>(dialog, "Cmd_Ok"), Qt::LeftButton);
    EXPECT_EQ(app.store.Device_Version, 3);
    EXPECT_EQ(app.windows.opened.back(), WindowId::frmInTableau);
    EXPECT_TRUE(isTrue(app.store.Open_frmInTableau));
    EXPECT_FALSE(dialogOpen());
}

TEST_F(FrmDataTypeFixture, DoubleClickOnAnOptionActsAsOk) {
    app.store.Data_Loaded = kTrue;
    app.store.Com_Port = 2;
    app.store.Requested_View = QStringLiteral("Tableau Paramètres");
    QWidget* dialog = open();
    QTest::mouseDClick(control<QRadioButton>(dialog, "Option_Last_Data"), Qt::LeftButton);
    EXPECT_EQ(app.windows.opened.back(), WindowId::frmParametres_v4);
    EXPECT_FALSE(dialogOpen());
    EXPECT_EQ(app.transfer.runs, 0);
}

TEST_F(FrmDataTypeFixture, TransferHidesTheDialogThenOpensTheViewOrReports) {
    // Each case starts with an earlier transferred data set in memory; a stopped transfer puts it back
    // (Data_Loaded and the save entry as they were) and the dialog must leave it so.
    struct Case {
        const char* name;
        int16_t abort, step;
        std::optional<WindowId> next;
        const char* title;  // the one message the user sees
        bool runnerReports; // the transfer itself showed it (a port problem)
    } cases[] = {
        {"success", kFalse, -1, WindowId::frmInGraphique_v5, nullptr, false},
        {"cancel", kTrue, 0, std::nullopt, "Téléchargement des données interrompu !!!", false},
        {"Erreur 02", kTrue, 4, std::nullopt, "Erreur de transmission (Erreur 02)", false},
        {"port unavailable", kTrue, kTransferStepReported, std::nullopt, "Port de communication indisponible",
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        app.store.Com_Port = 1;
        app.store.Data_Loaded = kTrue;
        app.shell.setMenuEnabled(MenuEntry::mnuSave_As, true);
        app.store.Requested_View = QStringLiteral("Graphique Leq");
        app.ui.messages.clear();
        app.windows.opened.clear();
        app.windows.unloaded.clear();
        QWidget* dialog = open();
        QPointer<QWidget> watched = dialog;
        bool hiddenDuringTransfer = false;
        app.transfer.action = [&](DataStore& store) {
            hiddenDuringTransfer = watched && watched->isHidden();
            app.windows.open(WindowId::frmWait);
            store.Abort_Flag = c.abort;
            store.Transfer_Step = c.step;
            if (c.runnerReports)
                app.ui.message(MessageIcon::Critical, QString::fromUtf8(c.title), QStringLiteral("..."));
            if (c.step == 0) app.windows.unloadWindow(WindowId::frmWait); // the user closed it
        };
        QTest::mouseDClick(control<QRadioButton>(dialog, "Option_New_Transfert"), Qt::LeftButton);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

        EXPECT_TRUE(hiddenDuringTransfer);
        EXPECT_FALSE(dialogOpen());
        EXPECT_FALSE(isTrue(app.store.Open_frmWait));
        EXPECT_TRUE(watched.isNull()); // unloaded and gone
        EXPECT_EQ(app.windows.opened.back(), c.next.value_or(WindowId::frmWait));
        ASSERT_EQ(app.ui.messages.size(), c.title ? 1u : 0u);
        if (c.title) {
            EXPECT_EQ(app.ui.messages[0].title, QString::fromUtf8(c.title));
        }
        EXPECT_TRUE(isTrue(app.store.Data_Loaded));
        EXPECT_TRUE(app.shell.isMenuEnabled(MenuEntry::mnuSave_As));
        app.windows.closeOpenWindows();
    }
}

TEST_F(FrmDataTypeFixture, AnnulerClosesTheDialog) {
    QWidget* dialog = open();
    QTest::mouseClick(control<QPushButton>(dialog, "Cmd_Annuler"), Qt::LeftButton);
    EXPECT_FALSE(dialogOpen());
    EXPECT_EQ(app.windows.unloaded.back(), WindowId::frmData_Type);
}
