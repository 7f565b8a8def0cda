#include "core/app/DataSourceLogic.h"
#include "core/files/SaveFile.h"
#include "core/link/TransferRunner.h"
#include "support/FakeTransferRunner.h"
#include "support/Fakes.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// Records what Cmd_Ok does to windows, in order.
class RecordingWindows : public DataSourceWindows {
public:
    explicit RecordingWindows(DataStore& store) : m_store(store) {}
    void setDialogVisible(bool visible) override {
        dialogVisible = visible;
        events.push_back(visible ? "show" : "hide");
    }
    void closeDialog() override {
        events.push_back("close frmData_Type");
        m_store.Open_frmData_Type = kFalse;
    }
    void closeWindow(WindowId id) override {
        if (!isTrue(openFlag(m_store, id))) return;
        events.push_back(std::string("close ") + windowName(id));
        openFlag(m_store, id) = kFalse;
    }
    void openWindow(WindowId id) override {
        events.push_back(std::string("open ") + windowName(id));
        opened.push_back(id);
    }
    bool dialogVisible = true;
    std::vector<std::string> events;
    std::vector<WindowId> opened;

private:
    DataStore& m_store;
};

struct DataSourceFixture : ::testing::Test {
    DataStore store;
    FakeUiServices ui;
    FakeMainShell shell;
    FakeTransferRunner transfer;
    RecordingWindows windows{store};
    DataSourceEnv env{store, ui, shell, transfer, windows};

    DataSourceFixture() {
        store.Open_frmData_Type = kTrue;
        store.Requested_View = QStringLiteral("Tableau Leq");
    }
    DataSourceResult ok(DataSourceOption option, const QString& shownFile = {}) {
        return DataSourceOk(env, option, shownFile);
    }
};

const QString kMaintenance =
    QStringLiteral(" - Veuillez consulter le cahier de maintenace du logiciel pour résoudre le problème.");

} // namespace

TEST(DataSourceLoad, OptionsFollowPortAndData) {
    struct Case {
        int16_t port;
        bool data;
        bool lastEnabled, transferEnabled;
        DataSourceOption selected;
        bool okEnabled;
    } cases[] = {
        {0, false, false, false, DataSourceOption::SaveFile, true},
        {0, true, true, false, DataSourceOption::LastData, true},
        {3, false, false, true, DataSourceOption::None, false},
        {16, true, true, true, DataSourceOption::LastData, true},
    };
    for (const Case& c : cases) {
        DataStore store;
        store.Com_Port = c.port;
        store.Data_Loaded = c.data ? kTrue : kFalse;
        store.Requested_View = QStringLiteral("Tableau Evénements");
        const DataSourceLoadState state = DataSourceStateAtLoad(store);
        const auto label = ::testing::Message() << "port " << c.port << " data " << c.data;
        EXPECT_EQ(state.lastDataEnabled, c.lastEnabled) << label;
        EXPECT_EQ(state.transferEnabled, c.transferEnabled) << label;
        EXPECT_EQ(state.selected, c.selected) << label;
        EXPECT_EQ(state.okEnabled, c.okEnabled) << label;
        EXPECT_EQ(state.frameCaption,
                  QStringLiteral("Sélectionnez le type de données pour le Tableau Evénements"));
    }
}

TEST(DataSourceLoad, FrameCaptionAgreesWithTheView) {
    const std::pair<QString, QString> cases[] = {
        {QStringLiteral("Tableau Paramètres"),
         QStringLiteral("Sélectionnez le type de données pour le Tableau Paramètres")},
        {QStringLiteral("Statistiques"),
         QStringLiteral("Sélectionnez le type de données pour les Statistiques")},
    };
    for (const auto& [view, caption] : cases) {
        DataStore store;
        store.Requested_View = view;
        EXPECT_EQ(DataSourceStateAtLoad(store).frameCaption, caption);
    }
}

TEST(DataSourceSearch, OnlyLowerCaseQlvNamesAreKept) {
    struct Case {
        std::optional<QString> answer;
        QString shown;
        QString path;
    } cases[] = {
        {QStringLiteral("/data/Chantier 12.qlv"), QStringLiteral("Chantier 12.qlv"),
         QStringLiteral("/data/Chantier 12.qlv")},
        {QStringLiteral("/data/a.QLV"), {}, {}},
        {QStringLiteral("/data/a.Qlv"), {}, {}},
        {QStringLiteral("/data/a.qlv.bak"), {}, {}},
        {QStringLiteral("/data/aqlv"), QStringLiteral("aqlv"),
         QStringLiteral("/data/aqlv")}, // the last three characters decide
        {QString(), {}, {}},
        {std::nullopt, {}, {}},
    };
    for (const Case& c : cases) {
        DataStore store;
        store.Save_File_Path = QStringLiteral("/earlier/choice.qlv");
        FakeUiServices ui;
        ui.openAnswers.push_back(c.answer);
        EXPECT_EQ(SearchSaveFile(store, ui), c.shown) << c.answer.value_or("(cancel)").toStdString();
        EXPECT_EQ(store.Save_File_Path, c.path) << c.answer.value_or("(cancel)").toStdString();
        ASSERT_EQ(ui.openRequests.size(), 1u);
        EXPECT_TRUE(ui.openRequests[0].first.isEmpty());
        EXPECT_EQ(ui.openRequests[0].second, QStringLiteral("Sauvegarde QLV 40 (*.qlv)|*.qlv"));
    }
}

TEST(DataSourceFollowUp, WindowByViewAndGeneration) {
    struct Case {
        const char* view;
        WindowId gen3, gen5;
    } cases[] = {
        {"Graphique Leq", WindowId::frmInGraphique, WindowId::frmInGraphique_v5},
        {"Tableau Leq", WindowId::frmInTableau, WindowId::frmInTableau},
        {"Tableau Evénements", WindowId::frmInTableau, WindowId::frmInTableau},
        {"Tableau Paramètres", WindowId::frmParametres_v4, WindowId::frmParametres_v4},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FollowUpWindow(QString::fromUtf8(c.view), 3), c.gen3) << c.view;
        EXPECT_EQ(FollowUpWindow(QString::fromUtf8(c.view), 5), c.gen5) << c.view;
    }
    EXPECT_FALSE(FollowUpWindow(QString(), 5));
    EXPECT_FALSE(FollowUpWindow(QStringLiteral("Tableau Evenements"), 5)); // accents matter
}

TEST(DataSourceTemplate, TextsFromTheParameterZone) {
    DataStore store;
    store.Param_Block[2176] = 0;
    store.Param_Block[2177] = 85;
    store.Param_Block[2180] = 1;
    store.Param_Block[2181] = 5;
    store.Param_Block[2187] = 22;
    store.Param_Block[2189] = 7;
    SetGraphTemplateTexts(store);
    EXPECT_EQ(store.Day_Level_Text, QStringLiteral("85"));
    EXPECT_EQ(store.Night_Level_Text, QStringLiteral("105"));
    EXPECT_EQ(store.Day_Night_Hour_Text, QStringLiteral("22"));
    EXPECT_EQ(store.Night_Day_Hour_Text, QStringLiteral("7"));
}

TEST_F(DataSourceFixture, TransferOutcomes) {
    const QString interrupted = QStringLiteral("Téléchargement des données interrompu !!!");
    const QString interruptedText =
        QStringLiteral("Téléchargement des données interrompu !!! Traitement des données impossible !!!");
    const std::vector<std::string> failed = {"hide", "close frmWait", "close frmData_Type"};
    // loadedAfter: the Data_Loaded the transfer leaves (a stopped transfer puts back the earlier one);
    // the dialog must keep it, and the "&Enregistrer Sous ..." entry the transfer set, unchanged.
    struct Case {
        const char* name;
        int16_t abort, step, loadedAfter;
        bool waitStillOpen;
        std::optional<QString> title;
        QString text;
        std::vector<std::string> events;
        bool followUp;
    } cases[] = {
        {"cancel, nothing loaded before",
         kTrue,
         0,
         kFalse,
         false,
         interrupted,
         interruptedText,
         {"hide", "close frmData_Type"},
         false},
        {"cancel, earlier data kept",
         kTrue,
         0,
         kTrue,
         false,
         interrupted,
         interruptedText,
         {"hide", "close frmData_Type"},
         false},
        {"cancel during the closing pause", kTrue, 0, kTrue, true, interrupted, interruptedText, failed,
         false},
        {"no answer", kTrue, 3, kTrue, true, QStringLiteral("Erreur de transmission (Erreur 01)"),
         "Erreur 01" + kMaintenance, failed, false},
        {"final block", kTrue, 4, kFalse, true, QStringLiteral("Erreur de transmission (Erreur 02)"),
         "Erreur 02" + kMaintenance, failed, false},
        {"parameter wake-up", kTrue, 2, kFalse, true, QStringLiteral("Erreur de transmission (Erreur 03)"),
         "Erreur 03" + kMaintenance, failed, false},
        {"parameter zone", kTrue, 1, kFalse, true, QStringLiteral("Erreur de transmission (Erreur 04)"),
         "Erreur 04" + kMaintenance, failed, false},
        {"success",
         kFalse,
         -1,
         kTrue,
         true,
         std::nullopt,
         {},
         {"hide", "open frmInTableau", "close frmData_Type"},
         true},
        // A port that cannot be opened or is lost: the transfer told the user already.
        {"port reported", kTrue, kTransferStepReported, kTrue, true, std::nullopt, {}, failed, false},
        {"stopped otherwise", kTrue, -1, kFalse, true, std::nullopt, {}, failed, false},
    };
    for (const bool saveEnabled : {true, false}) {
        for (const Case& c : cases) {
            DataStore& s = store;
            s = DataStore();
            s.Open_frmData_Type = kTrue;
            s.Requested_View = QStringLiteral("Tableau Leq");
            s.Com_Port = 2;
            s.Param_Block[2360] = 12;
            s.Param_Block[2361] = 5;
            ui.messages.clear();
            windows.events.clear();
            windows.opened.clear();
            windows.dialogVisible = true;
            bool hiddenDuringTransfer = false;
            transfer.action = [&](DataStore& st) {
                hiddenDuringTransfer = !windows.dialogVisible;
                st.Open_frmWait = c.waitStillOpen ? kTrue : kFalse;
                st.Abort_Flag = c.abort;
                st.Transfer_Step = c.step;
                st.Data_Loaded = c.loadedAfter;
                shell.setMenuEnabled(MenuEntry::mnuSave_As, saveEnabled);
            };

            const DataSourceResult result = ok(DataSourceOption::Transfer);

            SCOPED_TRACE(std::string(c.name) + (saveEnabled ? ", saving allowed" : ", saving locked"));
            EXPECT_TRUE(hiddenDuringTransfer);
            if (c.title) {
                ASSERT_EQ(ui.messages.size(), 1u);
                EXPECT_EQ(ui.messages[0].icon, MessageIcon::Critical);
                EXPECT_EQ(ui.messages[0].title, *c.title);
                EXPECT_EQ(ui.messages[0].text, c.text);
            } else {
                EXPECT_TRUE(ui.messages.empty());
            }
            EXPECT_EQ(windows.events, c.events);
            EXPECT_EQ(shell.isMenuEnabled(MenuEntry::mnuSave_As), saveEnabled);
            EXPECT_EQ(s.Data_Loaded, c.loadedAfter);
            EXPECT_EQ(result, c.followUp ? DataSourceResult::FollowUpOpened : DataSourceResult::DialogClosed);
            EXPECT_EQ(s.Serial_Number, c.followUp ? QStringLiteral("125000000") : QString());
        }
    }
}

TEST_F(DataSourceFixture, LastDataPreparesTheGraphOnly) {
    store.Data_Loaded = kTrue;
    store.Device_Version = 3;
    store.Param_Block[2177] = 70;
    store.Graph_Days_Text = QStringLiteral("7");

    store.Requested_View = QStringLiteral("Tableau Paramètres");
    EXPECT_EQ(ok(DataSourceOption::LastData), DataSourceResult::FollowUpOpened);
    EXPECT_TRUE(store.Day_Level_Text.isEmpty());
    EXPECT_EQ(store.Graph_Days_Text, QStringLiteral("7"));

    store.Requested_View = QStringLiteral("Graphique Leq");
    EXPECT_EQ(ok(DataSourceOption::LastData), DataSourceResult::FollowUpOpened);
    EXPECT_EQ(store.Day_Level_Text, QStringLiteral("70"));
    EXPECT_EQ(store.Graph_Days_Text, QStringLiteral("1"));
    EXPECT_EQ(windows.opened, (std::vector<WindowId>{WindowId::frmParametres_v4, WindowId::frmInGraphique}));
    EXPECT_EQ(transfer.runs, 0);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(DataSourceFixture, NoFileChosenWarnsAndStays) {
    store.Save_File_Path = QStringLiteral("/an/earlier/choice.qlv"); // the text box is what counts
    EXPECT_EQ(ok(DataSourceOption::SaveFile, QString()), DataSourceResult::DialogKeptOpen);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].icon, MessageIcon::Warning);
    EXPECT_EQ(ui.messages[0].title, QStringLiteral("Pas de fichier sélectionné"));
    EXPECT_EQ(ui.messages[0].text, QStringLiteral("Veuillez sélectionner un fichier .qlv à ouvrir SVP !!!"));
    EXPECT_EQ(windows.events, (std::vector<std::string>{"show"}));
    EXPECT_TRUE(isTrue(store.Open_frmData_Type));
}

TEST_F(DataSourceFixture, UnreadableFileKeepsTheDialogOpen) {
    QTemporaryDir dir;
    store.Save_File_Path = dir.filePath(QStringLiteral("gone.qlv"));
    ui.busyCursor = true;
    EXPECT_EQ(ok(DataSourceOption::SaveFile, QStringLiteral("gone.qlv")), DataSourceResult::DialogKeptOpen);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].title, QStringLiteral("Problème de fichier"));
    EXPECT_EQ(ui.messages[0].text,
              QStringLiteral("Impossible d'ouvrir le fichier : ") + store.Save_File_Path);
    EXPECT_FALSE(ui.busyCursor);
    EXPECT_TRUE(windows.events.empty());
    EXPECT_TRUE(isTrue(store.Open_frmData_Type));
}

TEST_F(DataSourceFixture, SavedFileOpensTheViewOfItsGeneration) {
    QTemporaryDir dir;
    struct Case {
        int generation;
        const char* view;
        WindowId next;
    } cases[] = {
        {3, "Graphique Leq", WindowId::frmInGraphique},
        {5, "Graphique Leq", WindowId::frmInGraphique_v5},
        {3, "Tableau Evénements", WindowId::frmInTableau},
    };
    for (const Case& c : cases) {
        const QString path = dir.filePath(QStringLiteral("gen%1.qlv").arg(c.generation));
        DataStore source;
        source.Param_Block[2176] = 1;
        source.Param_Block[2177] = 2;
        source.Param_Block_V3[2176 - 2048] = 1; // a generation-3 file carries the zone from cell 2048 on
        source.Param_Block_V3[2177 - 2048] = 2;
        source.Transfer_Date = QStringLiteral("12/09/2009");
        source.Transfer_Time = QStringLiteral("10:15");
        ASSERT_TRUE(WriteSaveFile(source, path, c.generation, c.generation == 3 ? 4096 : 8192));

        store = DataStore();
        store.Open_frmData_Type = kTrue;
        store.Device_Version = c.generation == 3 ? 5 : 3;
        store.Requested_View = QString::fromUtf8(c.view);
        store.Save_File_Path = path;
        store.Param_Block = source.Param_Block; // the zone the file holds, whichever way the load leaves it
        windows.opened.clear();
        SCOPED_TRACE(path.toStdString() + " " + c.view);
        EXPECT_EQ(ok(DataSourceOption::SaveFile, QStringLiteral("x.qlv")), DataSourceResult::FollowUpOpened);
        EXPECT_EQ(store.Device_Version, c.generation);
        EXPECT_TRUE(isTrue(store.Data_Loaded));
        EXPECT_EQ(windows.opened, std::vector<WindowId>{c.next});
        EXPECT_FALSE(isTrue(store.Open_frmData_Type));
        const bool graph = store.Requested_View == QStringLiteral("Graphique Leq");
        EXPECT_EQ(store.Day_Level_Text, graph ? QStringLiteral("102") : QString());
    }
    EXPECT_TRUE(ui.messages.empty());
}
