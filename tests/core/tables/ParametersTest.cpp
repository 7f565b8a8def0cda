#include "core/tables/Parameters.h"
#include "TableTestData.h"

#include <gtest/gtest.h>

using namespace tabletest;

namespace {
void setLevels(DataStore& store) {
    const int16_t cells[][2] = {{2176, 1}, {2177, 5},  {2178, 0}, {2179, 99}, {2180, 0},  {2181, 95},
                                {2182, 1}, {2183, 0},  {2186, 0}, {2187, 85}, {2188, 1},  {2189, 2},
                                {2191, 7}, {2193, 22}, {6, 0x4C}, {7, 0x60},  {160, 172}, {161, 172}};
    for (const auto& c : cells)
        store.Param_Block[c[0]] = c[1];
}

// A change row: date, option bytes, and the four levels / two hours it records.
void putParamChange(DataStore& store, int row, int day, int month, int year, int hour, int minute, int a,
                    int b, int dayLevel) {
    ParamChangeTable& t = store.Param_Change_Records;
    const int16_t date[8] = {static_cast<int16_t>(minute), static_cast<int16_t>(hour),
                             static_cast<int16_t>(day),    0,
                             static_cast<int16_t>(month),  static_cast<int16_t>(year),
                             static_cast<int16_t>(a),      static_cast<int16_t>(b)};
    for (int c = 1; c <= 8; ++c)
        t(row, c) = date[c - 1];
    t(row, 29) = static_cast<int16_t>(dayLevel / 100);
    t(row, 30) = static_cast<int16_t>(dayLevel % 100);
    t(row, 44) = 21;
    t(row, 46) = 6;
}

DataStore historyStore(int versionMinorCode) {
    DataStore store;
    setLevels(store);
    store.Param_Block[161] = static_cast<int16_t>(versionMinorCode);
    store.Param_Change_Records.fill(255);
    putParamChange(store, 1, 5, 3, 9, 8, 5, 0x08, 0x40, 101);
    putParamChange(store, 2, 6, 3, 9, 9, 15, 0x0C, 0x00, 102);
    putParamChange(store, 3, 7, 3, 9, 10, 25, 0x44, 0x20, 103);
    store.Transfer_Date = QStringLiteral("10/03/2009");
    store.Transfer_Time = QStringLiteral("14:07:59");
    return store;
}
} // namespace

TEST(Parameters, OptionBytes) {
    struct Case {
        int a, b;
        const char *analysis, *sensorCut, *relay, *generalCut;
    } cases[] = {
        {0x4C, 0x00, "Analyse : Pondérée Type A.", "Activée.", "Norm. Ouvert.", "Désactivée"},
        {0x04, 0x40, "Analyse : Linéaire.", "Désactivée.", "Norm. Fermé.", "Désactivée"},
        {0x00, 0x20, "Analyse : Linéaire.", "Désactivée.", "Norm. Ouvert.", "Activée"},
        {0x08, 0x60, "Analyse : Pondérée Type M.", "Désactivée.", "Norm. Fermé.", "Activée"},
        {0xFF, 0xFF, "Analyse : Pondérée Type A.", "Activée.", "Norm. Fermé.", "Activée"},
        {-1, 32767, "Analyse : Pondérée Type A.", "Activée.", "Norm. Fermé.", "Activée"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(AnalysisText(c.a), QString::fromUtf8(c.analysis)) << c.a;
        EXPECT_EQ(SensorCutText(c.a), QString::fromUtf8(c.sensorCut)) << c.a;
        EXPECT_EQ(RelayText(c.b), QString::fromUtf8(c.relay)) << c.b;
        EXPECT_EQ(GeneralCutText(c.b), QString::fromUtf8(c.generalCut)) << c.b;
    }
}

TEST(Parameters, Generation5CurrentValues) {
    DataStore store = historyStore(172);
    const ParametersView view = LoadParameters(store);
    const QStringList expected = {"Version 5.5",
                                  "00000000",
                                  "105",
                                  "99",
                                  "95",
                                  "100",
                                  "85",
                                  "102",
                                  "07",
                                  "22",
                                  "Analyse : Pondérée Type A.",
                                  "Norm. Fermé.",
                                  "Activée.",
                                  "Activée"};
    ASSERT_EQ(view.rows.size(), expected.size());
    for (int i = 0; i < view.rows.size(); ++i) {
        EXPECT_EQ(view.rows[i].value, expected[i]) << view.rows[i].valueControl.toStdString();
        EXPECT_TRUE(view.rows[i].visible) << i;
    }
    EXPECT_EQ(view.rows[3].caption, QStringLiteral("Niveau Leq Jour Fenêtre :"));
    EXPECT_EQ(view.layout.headingTop, 30);
    EXPECT_FALSE(view.layout.compact);
}

TEST(Parameters, Generation3LayoutAndValues) {
    DataStore store;
    setLevels(store);
    store.Device_Version = 3;
    store.Param_Block[2187] = 22;
    store.Param_Block[2189] = 7;
    const ParametersView view = LoadParameters(store);
    EXPECT_EQ(view.value("Label_Version_FirmWare"), QStringLiteral("Version 3.2"));
    EXPECT_EQ(view.value("Label_Heure_Jour_Nuit"), QStringLiteral("22"));
    EXPECT_EQ(view.value("Label_Heure_Nuit_Jour"), QStringLiteral("07"));
    EXPECT_EQ(view.value("Label_Analyse"), QStringLiteral("Analyse : Pondérée Type A."));
    for (const char* hidden :
         {"Label_Niveau_Public", "Label_Niveau_Capteur", "Label_Relais", "Label_Cut_Capteur", "Label_Cut_G"})
        EXPECT_FALSE(view.row(QString::fromLatin1(hidden))->visible) << hidden;
    EXPECT_TRUE(view.row("Label_Niveau_Leq_Nuit_Fenetre")->visible);
    EXPECT_TRUE(view.layout.compact);
    EXPECT_EQ(view.layout.frameBottom, 3270);
    EXPECT_EQ(view.layout.buttonsTop, 2670);
    EXPECT_EQ(view.layout.windowHeight, 3800);
    EXPECT_EQ(view.layout.headingTop, 120);
    EXPECT_FALSE(view.layout.showManagement);
    EXPECT_FALSE(view.comboVisible);
    EXPECT_FALSE(view.dateLabelVisible);
    EXPECT_TRUE(view.history.isEmpty());
}

TEST(Parameters, HistoryNewestFirstWithTheReadingDate) {
    DataStore store = historyStore(172);
    const ParametersView view = LoadParameters(store);
    ASSERT_EQ(view.history.size(), 3);
    EXPECT_EQ(view.history[0], QStringLiteral(" Samedi  07   Mars    2009  à  10 : 25"));
    EXPECT_EQ(view.history[1], QStringLiteral("Vendredi 06   Mars    2009  à  09 : 15"));
    EXPECT_EQ(view.history[2], QStringLiteral(" Jeudi   05   Mars    2009  à  08 : 05"));
    EXPECT_EQ(view.historyRows, (QList<int>{3, 2, 1}));
    EXPECT_EQ(view.readingText, QStringLiteral(" Mardi   10   Mars    2009  à  14 : 07"));
    EXPECT_EQ(view.dateLabel, QStringLiteral("Paramètres  du  ") + view.history[0] +
                                  QStringLiteral("  au  ") + view.readingText);
    EXPECT_TRUE(view.comboVisible);
}

TEST(Parameters, NoValidChangeHidesTheList) {
    DataStore store = historyStore(172);
    store.Param_Change_Records.fill(255);
    const ParametersView view = LoadParameters(store);
    EXPECT_FALSE(view.comboVisible);
    EXPECT_TRUE(view.dateLabelVisible);
    EXPECT_EQ(view.dateLabel, QStringLiteral("Paramètres  du    au  ") + view.readingText);
    EXPECT_EQ(ChooseParameterChange(store, view, 0).dateLabel, view.dateLabel);
}

TEST(Parameters, ChosenHistoryEntry) {
    struct Case {
        int minorCode; // 172 = 5.5, 108 = 5.6
        int k;
        const char *dayLevel, *analysis, *sensorCut, *relay, *generalCut;
    } cases[] = {
        {172, 0, "103", "Analyse : Linéaire.", "Activée.", "Norm. Fermé.", "Activée"}, // B from cell 7 (0x60)
        {172, 1, "102", "Analyse : Pondérée Type A.", "Désactivée.", "Norm. Ouvert.", "Désactivée"},
        {172, 2, "101", "Analyse : Pondérée Type M.", "Désactivée.", "Norm. Fermé.", "Désactivée"},
        {108, 0, "103", "Analyse : Linéaire.", "Activée.", "Norm. Fermé.", "Activée"},
        {108, 2, "101", "Analyse : Pondérée Type M.", "Désactivée.", "Info Non Disponible",
         "Info Non Disponible"},
        {0, 1, "102", "Analyse : Pondérée Type A.", "Désactivée.", "Info Non Disponible",
         "Info Non Disponible"},
    };
    for (const Case& c : cases) {
        DataStore store = historyStore(c.minorCode);
        const ParametersView loaded = LoadParameters(store);
        const ParametersView view = ChooseParameterChange(store, loaded, c.k);
        EXPECT_EQ(view.value("Label_Niveau_Leq_Jour"), QString::fromLatin1(c.dayLevel))
            << c.minorCode << ' ' << c.k;
        EXPECT_EQ(view.value("Label_Heure_Jour_Nuit"), QStringLiteral("21"));
        EXPECT_EQ(view.value("Label_Heure_Nuit_Jour"), QStringLiteral("06"));
        EXPECT_EQ(view.value("Label_Analyse"), QString::fromUtf8(c.analysis)) << c.minorCode << ' ' << c.k;
        EXPECT_EQ(view.value("Label_Cut_Capteur"), QString::fromUtf8(c.sensorCut))
            << c.minorCode << ' ' << c.k;
        EXPECT_EQ(view.value("Label_Relais"), QString::fromUtf8(c.relay)) << c.minorCode << ' ' << c.k;
        EXPECT_EQ(view.value("Label_Cut_G"), QString::fromUtf8(c.generalCut)) << c.minorCode << ' ' << c.k;
        const QString until = c.k == 0 ? loaded.readingText : loaded.history[c.k - 1];
        EXPECT_EQ(view.dateLabel, QStringLiteral("Paramètres  du  ") + loaded.history[c.k] +
                                      QStringLiteral("  au  ") + until);
        EXPECT_EQ(view.value("Label_Version_FirmWare"), loaded.value("Label_Version_FirmWare"));
    }
}

TEST(Parameters, VersionTexts) {
    struct Case {
        int generation, c160, c161;
        const char* text;
    } cases[] = {{5, 172, 172, "Version 5.5"},
                 {5, 172, 0, "Version 5.X"},
                 {5, 172, 108, "Version 5.6"},
                 {3, 0, 0, "Version 3.2"},
                 {5, -1, 32767, "Version 5.X"}};
    for (const Case& c : cases) {
        DataStore store;
        store.Device_Version = static_cast<int16_t>(c.generation);
        store.Param_Block[160] = static_cast<int16_t>(c.c160);
        store.Param_Block[161] = static_cast<int16_t>(c.c161);
        EXPECT_EQ(ParametersFirmwareText(store), QString::fromLatin1(c.text));
    }
}
