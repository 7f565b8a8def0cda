#include "GraphTestSupport.h"
#include "core/graphs/GraphLabels.h"
#include "support/Fakes.h"

using namespace graphtest;

TEST(GraphEndDate, RollsOverOnceIntoTheNextMonth) {
    struct Case {
        DayMonthYear start;
        int days;
        DayMonthYear end;
    } cases[] = {
        {{31, 12, 2006}, 7, {7, 1, 2007}},  {{28, 2, 2007}, 1, {1, 3, 2007}},
        {{28, 2, 2008}, 1, {29, 2, 2008}},  {{29, 2, 2008}, 1, {1, 3, 2008}},
        {{30, 4, 2007}, 3, {3, 5, 2007}},   {{30, 3, 2007}, 1, {31, 3, 2007}},
        {{25, 2, 2100}, 7, {3, 3, 2100}},   /* 2100 divides by 4 */ {{9, 3, 2007}, 1, {10, 3, 2007}},
        {{26, 11, 2007}, 7, {3, 12, 2007}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(GraphEndDate(c.start, c.days), c.end)
            << c.start.day << "/" << c.start.month << "/" << c.start.year;
}

TEST(GraphCalendar, DaysOfTheWindow) {
    const auto leap = GraphCalendar({26, 2, 2008}, 7);
    const int expected[8][2] = {{26, 2}, {27, 2}, {28, 2}, {29, 2}, {1, 3}, {2, 3}, {3, 3}, {4, 3}};
    for (int k = 0; k < 8; ++k) {
        EXPECT_EQ(leap[k].day, expected[k][0]) << k;
        EXPECT_EQ(leap[k].month, expected[k][1]) << k;
    }
    const auto newYear = GraphCalendar({30, 12, 2007}, 3);
    EXPECT_EQ(newYear[1], (DayMonthYear{31, 12, 2007}));
    EXPECT_EQ(newYear[2], (DayMonthYear{1, 1, 2008}));
    EXPECT_EQ(newYear[3], (DayMonthYear{2, 1, 2008}));
    const auto common = GraphCalendar({27, 2, 2007}, 3);
    EXPECT_EQ(common[2], (DayMonthYear{1, 3, 2007}));
}

TEST(StoreGraphWindow, TextsWithoutLeadingZeros) {
    DataStore store;
    StoreGraphWindow(store, {5, 3, 2007}, 3);
    EXPECT_EQ(store.Graph_Days, 3);
    EXPECT_EQ(store.Graph_Days_Text, "3");
    EXPECT_EQ(store.Start_Day, "5");
    EXPECT_EQ(store.Start_Month, "3");
    EXPECT_EQ(store.End_Day, "8");
    EXPECT_EQ(store.graphDate(2, 1), "6");
    EXPECT_EQ(store.graphDate(4, 1), "8");
    EXPECT_EQ(store.graphDate(4, 3), "2007");
}

TEST(AcceptGraphDialog, ThresholdBoxesMustHoldWholeNumbers) {
    struct Case {
        const char* day;
        const char* night;
        const char* dayNight;
        const char* nightDay;
        bool accepted;
    } cases[] = {
        {"105", "95", "22", "6", true},    {" 80 ", "70", "0", "23", true},
        {"105.5", "95", "22", "6", false}, {"", "95", "22", "6", false},
        {"105", "abc", "22", "6", false},  {"105", "95", "24", "6", false},
        {"105", "95", "22", "-1", false},  {"105", "95", "22", "6h", false},
        {"-5", "95", "22", "6", false},    {"99999", "95", "22", "6", false},
    };
    for (const Case& c : cases) {
        DataStore store;
        FakeUiServices ui;
        GraphDialogInput input;
        input.startDate = QDate(2007, 3, 9);
        input.threeDays = true;
        input.dayLevel = QString::fromLatin1(c.day);
        input.nightLevel = QString::fromLatin1(c.night);
        input.dayNightHour = QString::fromLatin1(c.dayNight);
        input.nightDayHour = QString::fromLatin1(c.nightDay);
        SCOPED_TRACE(testing::Message() << c.day << "|" << c.night << "|" << c.dayNight << "|" << c.nightDay);
        EXPECT_EQ(AcceptGraphDialog(store, input, true, ui), c.accepted);
        if (c.accepted) {
            EXPECT_TRUE(ui.messages.empty());
            EXPECT_EQ(store.Start_Day, "9");
            EXPECT_EQ(store.Graph_Days, 3);
            EXPECT_EQ(store.Graph_Day_Level, QString::fromLatin1(c.day).trimmed().toInt());
            EXPECT_EQ(store.Graph_Night_Day_Hour, QString::fromLatin1(c.nightDay).toInt());
        } else {
            ASSERT_EQ(ui.messages.size(), 1u);
            EXPECT_EQ(ui.messages[0].title, kGraphDialogTitle);
            EXPECT_TRUE(store.Start_Day.isEmpty()) << "a refused entry stores nothing";
            EXPECT_EQ(store.Graph_Days, 1);
        }
    }
}

TEST(AcceptGraphDialog, LastSetOptionWinsAndNoneKeepsTheLength) {
    DataStore store;
    FakeUiServices ui;
    GraphDialogInput input;
    input.startDate = QDate(2007, 3, 9);
    input.oneDay = input.sevenDays = true;
    ASSERT_TRUE(AcceptGraphDialog(store, input, false, ui));
    EXPECT_EQ(store.Graph_Days, 7);
    EXPECT_EQ(store.End_Day, "16");
    input.oneDay = input.sevenDays = false;
    ASSERT_TRUE(AcceptGraphDialog(store, input, false, ui));
    EXPECT_EQ(store.Graph_Days, 7);
    EXPECT_TRUE(ui.messages.empty());
    // The generation-5 dialog has no boxes: whatever they hold is not looked at.
    input.dayLevel = QStringLiteral("abc");
    EXPECT_TRUE(AcceptGraphDialog(store, input, false, ui));
}

TEST(FindGraphWindowRows, NoonBoundedRange) {
    struct Case {
        const char* name;
        std::vector<QDateTime> rows;
        int generation;
        int first, last;
    } cases[] = {
        {"inside from noon to 11:59",
         {at(9, 3, 2007, 11, 50), at(9, 3, 2007, 12, 0), at(10, 3, 2007, 11, 59), at(10, 3, 2007, 12, 0)},
         5,
         2,
         3},
        {"nothing after the first outside row is looked at",
         {at(9, 3, 2007, 13, 0), at(11, 3, 2007, 13, 0), at(9, 3, 2007, 14, 0)},
         5,
         1,
         1},
        {"no row inside", {at(8, 3, 2007, 13, 0), at(10, 3, 2007, 12, 0)}, 5, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DataStore store;
        store.Device_Version = static_cast<int16_t>(c.generation);
        store.Leq_Records.fill(255);
        setWindow(store, 9, 3, 2007, 1);
        int row = 0;
        for (const QDateTime& when : c.rows)
            setLevel(store.Leq_Records, ++row, when, 80, c.generation);
        FindGraphWindowRows(store);
        EXPECT_EQ(store.Period_First, c.first);
        EXPECT_EQ(store.Period_Last, c.last);
    }
}

TEST(FindGraphWindowRows, RangeOpenAtTheBoundEndsThere) {
    for (int generation : {3, 5}) {
        DataStore store;
        store.Device_Version = static_cast<int16_t>(generation);
        setWindow(store, 9, 3, 2007, 7);
        const int bound = generation == 3 ? 4096 : 8192;
        for (int row = bound - 1; row <= 8192; ++row)
            setLevel(store.Leq_Records, row, at(10, 3, 2007, 1, 0), 80, 5);
        FindGraphWindowRows(store);
        EXPECT_EQ(store.Period_First, bound - 1) << generation;
        EXPECT_EQ(store.Period_Last, bound) << generation;
    }
}

TEST(GraphDateLabel, FixedWidthLabelsLeaveTheirBlanks) {
    DataStore store;
    setWindow(store, 9, 3, 2007, 1);
    EXPECT_EQ(
        GraphDateLabel(store),
        QStringLiteral(
            "Graphique Leq du  Vendredi 9   Mars    2007 à 12 h. au   Samedi  10   Mars    2007 à 12 h."));
    setWindow(store, 31, 12, 2006, 7);
    EXPECT_EQ(GraphDateLabel(store),
              QStringLiteral("Graphique Leq du  Dimanche 31 Décembre  2006 à 12 h. au  "
                             "Dimanche 7  Janvier  2007 à 12 h."));
}

TEST(GraphHeaderLabel, ByGeneration) {
    DataStore store;
    const int serial[8] = {12, 34, 5, 6, 0, 1, 2, 3};
    for (int i = 0; i < 8; ++i)
        store.Param_Block[2360 + i] = static_cast<int16_t>(serial[i]);
    store.Device_Version = 3;
    EXPECT_EQ(GraphHeaderLabel(store),
              QStringLiteral("QLV 40 - FirmWare Version : 3.2 - Numéro de série : 1234560123"));
    EXPECT_EQ(store.Serial_Number, "1234560123");
    store.Device_Version = 5;
    store.Param_Block[160] = 172;
    store.Param_Block[161] = 108;
    EXPECT_EQ(GraphHeaderLabel(store),
              QStringLiteral("QLV 40 - FirmWare Version : 5.6 - Numéro de série : 1234560123"));
    store.Param_Block[161] = 13;
    EXPECT_TRUE(GraphHeaderLabel(store).contains(QStringLiteral("Version : 5.X - ")));
}

TEST(AnalyseLabel, WeightingBits) {
    struct Case {
        int cell;
        const char* text;
    } cases[] = {{0, "Analyse : Linéaire."},           {0x04, "Analyse : Linéaire."},
                 {0x08, "Analyse : Pondérée Type M."}, {0x4C, "Analyse : Pondérée Type A."},
                 {0xF3, "Analyse : Linéaire."},        {-1, "Analyse : Pondérée Type A."}};
    for (const Case& c : cases) {
        ParamZone zone;
        zone[6] = static_cast<int16_t>(c.cell);
        EXPECT_EQ(AnalyseLabel(zone), QString::fromUtf8(c.text)) << c.cell;
    }
}

TEST(LevelRange, StartsAt125And60) {
    struct Case {
        std::vector<int> levels;
        int minimum, maximum;
    } cases[] = {{{}, 125, 60}, {{72, 98, 85}, 72, 98}, {{130, 140}, 125, 140}, {{50, 55}, 50, 60}};
    for (const Case& c : cases) {
        DataStore store;
        for (int level : c.levels)
            setLevel(store.Leq10_Records, store.Leq10_Count++, at(9, 3, 2007, 13, 0), level, 5);
        const LevelRange range = Leq10LevelRange(store);
        EXPECT_EQ(range.minimum, c.minimum);
        EXPECT_EQ(range.maximum, c.maximum);
    }
    DataStore gen3;
    gen3.Device_Version = 3;
    setLevel(gen3.Leq_Records, 4, at(9, 3, 2007, 13, 0), 105, 3);
    gen3.Period_First = gen3.Period_Last = 4;
    EXPECT_EQ(Leq10LevelRange(gen3).maximum, 105);
    EXPECT_EQ(MinimumLabel(QStringLiteral("Leq10"), 72), QStringLiteral("Niveau Leq10 Minimum = 72 dB."));
    EXPECT_EQ(MaximumLabel(QStringLiteral("Leq1"), 98), QStringLiteral("Niveau Leq1 Maximum = 98 dB."));
}

TEST(GraphThresholdLabels, ByGenerationAndTemplateState) {
    DataStore gen3;
    gen3.Device_Version = 3;
    gen3.Graph_Day_Level = 105;
    gen3.Graph_Night_Level = 95;
    gen3.Graph_Day_Night_Hour = 22;
    gen3.Graph_Night_Day_Hour = 6;
    ThresholdLabels labels = GraphThresholdLabels(gen3);
    EXPECT_TRUE(labels.shown);
    EXPECT_FALSE(labels.windowShown);
    EXPECT_EQ(labels.dayLevel, "Niveau Leq Jour = 105 dB.");
    EXPECT_EQ(labels.nightLevel, " Niveau Leq Nuit = 95 dB.");
    EXPECT_EQ(labels.dayNightHour, "Heure Jour vers Nuit = 22 hrs.");
    EXPECT_EQ(labels.nightDayHour, "Heure Nuit vers Jour = 6 hrs.");

    DataStore gen5;
    EXPECT_FALSE(GraphThresholdLabels(gen5).shown) << "no template drawn";
    gen5.Template_Drawn = kTrue;
    EXPECT_FALSE(GraphThresholdLabels(gen5).shown) << "parameters changed over the window";
    gen5.Template_Params_Constant = kTrue;
    gen5.Template_Param_First = 3;
    const int cells[8] = {1, 5, 1, 10, 0, 95, 1, 0};
    for (int i = 0; i < 8; ++i)
        gen5.Param_Change_Records(3, 29 + i) = static_cast<int16_t>(cells[i]);
    gen5.Param_Change_Records(3, 44) = 21;
    gen5.Param_Change_Records(3, 46) = 7;
    labels = GraphThresholdLabels(gen5);
    EXPECT_TRUE(labels.shown && labels.windowShown);
    EXPECT_EQ(labels.dayLevel, "Niveau Leq Jour = 105 dB.");
    EXPECT_EQ(labels.dayWindowLevel, "Niveau Leq Jour Fenetre = 110 dB.");
    EXPECT_EQ(labels.nightLevel, "Niveau Nuit Jour = 95 dB.");
    EXPECT_EQ(labels.nightWindowLevel, "Niveau Leq Nuit Fenetre = 100 dB.");
    EXPECT_EQ(labels.dayNightHour, "Heure Jour vers Nuit = 21 hrs.");

    // Without a history row the current parameters are shown.
    gen5.Template_Param_First = 0;
    for (int i = 0; i < 8; ++i)
        gen5.Param_Block[2176 + i] = static_cast<int16_t>(cells[i]);
    gen5.Param_Block[2176] = 0;
    gen5.Param_Block[2191] = 23;
    labels = GraphThresholdLabels(gen5);
    EXPECT_EQ(labels.dayLevel, "Niveau Leq Jour = 5 dB.");
    EXPECT_EQ(labels.dayNightHour, "Heure Jour vers Nuit = 23 hrs.");
}
