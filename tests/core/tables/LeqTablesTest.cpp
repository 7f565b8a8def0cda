#include "core/tables/LeqTables.h"
#include "TableTestData.h"
#include "core/tables/TableDates.h"

#include <gtest/gtest.h>

using namespace tabletest;

namespace {
// The interval part of a line: "dd  <month>  yyyy  de  hh h. mm  à  hh h. mm".
QString interval(const QString& line) {
    const int from = line.indexOf(QStringLiteral("Le  ")) + 4 + 8 + 2;
    return line.mid(from, line.indexOf(QStringLiteral("   :")) - from);
}

QString tableLevelOf(const QString& line) {
    const int eq = line.lastIndexOf(QStringLiteral("=  "));
    return line.mid(eq + 3, line.size() - eq - 3 - 4);
}
} // namespace

TEST(StepBack, CarriesMinuteHourDayMonthAndYear) {
    struct Case {
        RecordStamp from;
        int minutes;
        RecordStamp to;
    } cases[] = {
        {{2009, 5, 10, 14, 30}, 10, {2009, 5, 10, 14, 20}},
        {{2009, 5, 10, 14, 5}, 10, {2009, 5, 10, 13, 55}},
        {{2009, 5, 10, 0, 5}, 10, {2009, 5, 9, 23, 55}},
        {{2008, 3, 1, 0, 5}, 10, {2008, 2, 29, 23, 55}}, // divisible by 4: leap
        {{2009, 3, 1, 0, 5}, 10, {2009, 2, 28, 23, 55}},
        {{2000, 3, 1, 0, 0}, 1, {2000, 2, 29, 23, 59}},
        {{2010, 1, 1, 0, 0}, 1, {2009, 12, 31, 23, 59}},
        {{2009, 5, 1, 0, 9}, 10, {2009, 4, 30, 23, 59}},
        {{2009, 8, 1, 0, 9}, 10, {2009, 7, 31, 23, 59}},
        {{2009, 10, 1, 0, 0}, 1, {2009, 9, 30, 23, 59}},
        {{2009, 5, 10, 14, 0}, 1, {2009, 5, 10, 13, 59}},
    };
    for (const Case& c : cases) {
        const RecordStamp got = stepBack(c.from, c.minutes);
        EXPECT_TRUE(got.sameDate(c.to) && got.hour == c.to.hour && got.minute == c.to.minute)
            << c.from.day << '/' << c.from.month << ' ' << c.from.hour << ':' << c.from.minute << " -> "
            << got.day << '/' << got.month << '/' << got.year << ' ' << got.hour << ':' << got.minute;
    }
}

TEST(BuildLeqTableV3, FirstRowOfTheTableStepsBackAcrossTheLeapDay) {
    DataStore store;
    store.Device_Version = 3;
    putRows(store.Leq_Records, {{5, 0, 1, 0, 3, 8, 0, 95}});
    store.Period_First = store.Period_Last = 1;
    const QStringList lines = BuildLeqTableV3(store);
    ASSERT_EQ(lines.size(), 1);
    EXPECT_EQ(lines[0], QStringLiteral("        Le  Vendredi  29   Février   2008  de  23 h. 55  à  00 h. 05"
                                       "   :  Niveau Leq  =   95 dB."));
}

TEST(BuildLeqTableV3, IntervalStartFollowsTheGapToThePreviousRow) {
    struct Case {
        const char* name;
        Row before;
        Row row;
        const char* interval;
    } cases[] = {
        {"ten minutes apart",
         {20, 14, 10, 0, 5, 9, 0, 80},
         {30, 14, 10, 0, 5, 9, 0, 81},
         "10     Mai     2009  de  14 h. 20  à  14 h. 30"},
        {"twenty minutes apart",
         {10, 14, 10, 0, 5, 9, 0, 80},
         {30, 14, 10, 0, 5, 9, 0, 81},
         "10     Mai     2009  de  14 h. 20  à  14 h. 30"},
        {"eleven minutes apart",
         {19, 14, 10, 0, 5, 9, 0, 80},
         {30, 14, 10, 0, 5, 9, 0, 81},
         "10     Mai     2009  de  14 h. 20  à  14 h. 30"},
        {"nine minutes apart",
         {21, 14, 10, 0, 5, 9, 0, 80},
         {30, 14, 10, 0, 5, 9, 0, 81},
         "10     Mai     2009  de  14 h. 21  à  14 h. 30"},
        {"over midnight, consecutive: dated by its start",
         {55, 23, 9, 0, 5, 9, 0, 80},
         {5, 0, 10, 0, 5, 9, 0, 81},
         "09     Mai     2009  de  23 h. 55  à  00 h. 05"},
        {"over the year, consecutive: dated by its start",
         {55, 23, 31, 0, 12, 9, 0, 80},
         {5, 0, 1, 0, 1, 10, 0, 81},
         "31  Décembre   2009  de  23 h. 55  à  00 h. 05"},
        {"a day apart",
         {30, 14, 9, 0, 5, 9, 0, 80},
         {30, 14, 10, 0, 5, 9, 0, 81},
         "10     Mai     2009  de  14 h. 20  à  14 h. 30"},
    };
    for (const Case& c : cases) {
        DataStore store;
        putRows(store.Leq_Records, {c.before, c.row});
        // Only the second row is in the period: its start still looks at the row before it.
        store.Period_First = store.Period_Last = 2;
        const QStringList lines = BuildLeqTableV3(store);
        ASSERT_EQ(lines.size(), 1) << c.name;
        EXPECT_EQ(interval(lines[0]), QString::fromUtf8(c.interval)) << c.name;
    }
}

TEST(LevelText, BothGenerations) {
    struct Case {
        int c7, c8;
        const char* v3;
        const char* v5;
    } cases[] = {
        {1, 5, "105", "501"},      {0, 95, " 95", "9500"},         {0, 7, " 07", "700"}, {5, 1, "501", "105"},
        {0, 0, " 00", " 00"},      {0, 1, " 01", "100"},           {2, 5, "205", "502"}, {7, 0, "700", " 07"},
        {0, 255, " 255", "25500"}, {255, 255, "255255", "255255"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LevelTextV3(c.c7, c.c8), QString::fromLatin1(c.v3)) << c.c7 << ' ' << c.c8;
        EXPECT_EQ(LevelTextV5(c.c7, c.c8), QString::fromLatin1(c.v5)) << c.c7 << ' ' << c.c8;
    }
}

TEST(BuildLeqTableV3, OneEmptyLineBetweenDaysAndNoneWithinADay) {
    DataStore store;
    putRows(store.Leq_Records, {
                                   {40, 23, 9, 0, 5, 9, 0, 70},
                                   {50, 23, 9, 0, 5, 9, 0, 71},
                                   {0, 0, 10, 0, 5, 9, 0, 72}, // consecutive: dated the 9th, 23:50
                                   {10, 0, 10, 0, 5, 9, 0, 73},
                                   {5, 0, 11, 0, 5, 9, 1, 2}, // after a gap: dated the 10th, 23:55
                                   {15, 0, 11, 0, 5, 9, 0, 75},
                               });
    store.Period_First = 1;
    store.Period_Last = 6;
    const QStringList lines = BuildLeqTableV3(store);
    const QStringList expected = {
        "09     Mai     2009  de  23 h. 30  à  23 h. 40",
        "09     Mai     2009  de  23 h. 40  à  23 h. 50",
        "09     Mai     2009  de  23 h. 50  à  00 h. 00",
        "",
        "10     Mai     2009  de  00 h. 00  à  00 h. 10",
        "10     Mai     2009  de  23 h. 55  à  00 h. 05",
        "",
        "11     Mai     2009  de  00 h. 05  à  00 h. 15",
    };
    ASSERT_EQ(lines.size(), expected.size()) << lines.join(QLatin1Char('\n')).toStdString();
    for (int i = 0; i < lines.size(); ++i)
        EXPECT_EQ(lines[i].isEmpty() ? QString() : interval(lines[i]), expected[i]) << i;
    EXPECT_EQ(tableLevelOf(lines[5]), QStringLiteral("102"));
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("        Le   Samedi   09")));
}

TEST(SplitLeq1Leq10, CopiesValidRowsByType) {
    DataStore store;
    putRows(store.Leq_Records, {
                                   {0, 10, 5, 1, 3, 9, 80, 0},
                                   {10, 10, 5, 10, 3, 9, 75, 0},
                                   {60, 10, 5, 1, 3, 9, 80, 0}, // minute 60: skipped
                                   {11, 10, 5, 1, 3, 9, 81, 0},
                                   {12, 10, 5, 2, 3, 9, 81, 0},  // unknown type: skipped
                                   {13, 10, 0, 10, 3, 9, 81, 0}, // day 0: skipped
                                   {20, 10, 5, 10, 3, 9, 5, 1},
                               });
    store.Period_First = 1;
    store.Period_Last = 7;
    SplitLeq1Leq10(store);
    EXPECT_EQ(store.Leq1_Count, 3);
    EXPECT_EQ(store.Leq10_Count, 3);
    EXPECT_EQ(store.Leq1_Records(1, 7), 80);
    EXPECT_EQ(store.Leq1_Records(2, 1), 11);
    EXPECT_EQ(store.Leq10_Records(1, 1), 10);
    EXPECT_EQ(store.Leq10_Records(2, 8), 1);

    // Counts restart on each split.
    store.Period_First = store.Period_Last = 2;
    SplitLeq1Leq10(store);
    EXPECT_EQ(store.Leq1_Count, 1);
    EXPECT_EQ(store.Leq10_Count, 2);
}

TEST(BuildLeq1Table, EveryLineCoversTheMinuteBeforeItsRow) {
    DataStore store;
    putRows(store.Leq1_Records,
            {{0, 0, 1, 1, 1, 10, 95, 0}, {1, 0, 1, 1, 1, 10, 0, 1}, {30, 12, 1, 1, 1, 10, 7, 0}});
    store.Leq1_Count = 4;
    const QStringList lines = BuildLeq1Table(store);
    // The first line is dated the day before its row; separators compare rows, so none follows it.
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[0], QStringLiteral("        Le   Jeudi    31  Décembre   2009  de  23 h. 59  à  00 h. 00"
                                       "   :  Niveau Leq 1 =   95 dB."));
    EXPECT_EQ(interval(lines[1]), QStringLiteral("01   Janvier   2010  de  00 h. 00  à  00 h. 01"));
    EXPECT_EQ(tableLevelOf(lines[1]), QStringLiteral("100"));
    EXPECT_EQ(interval(lines[2]), QStringLiteral("01   Janvier   2010  de  12 h. 29  à  12 h. 30"));
    EXPECT_EQ(tableLevelOf(lines[2]), QStringLiteral(" 07"));
}

TEST(BuildLeq10Table, JoinsConsecutiveRowsAndStepsBackAfterAGap) {
    DataStore store;
    putRows(store.Leq10_Records,
            {{20, 14, 10, 10, 5, 9, 80, 0}, {30, 14, 10, 10, 5, 9, 81, 0}, {30, 15, 10, 10, 5, 9, 0, 1}});
    store.Leq10_Count = 4;
    const QStringList lines = BuildLeq10Table(store);
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(interval(lines[0]), QStringLiteral("10     Mai     2009  de  14 h. 10  à  14 h. 20"));
    EXPECT_EQ(interval(lines[1]), QStringLiteral("10     Mai     2009  de  14 h. 20  à  14 h. 30"));
    EXPECT_EQ(interval(lines[2]), QStringLiteral("10     Mai     2009  de  15 h. 20  à  15 h. 30"));
    EXPECT_TRUE(lines[2].endsWith(QStringLiteral("   :  Niveau Leq 10 =  100 dB.")));
}

TEST(BuildLeq10Table, MidnightLineIsDatedByItsStartInEveryPeriod) {
    // The row stamped 00:00 on 1 March covers 23:50 to 00:00 of Friday 29 February, whether the
    // period starts on 1 March (the first row steps back) or the day before (it joins its row).
    const QString line = QStringLiteral("        Le  Vendredi  29   Février   2008  de  23 h. 50  à  00 h. 00"
                                        "   :  Niveau Leq 10 =   95 dB.");
    struct Case {
        const char* name;
        std::initializer_list<Row> rows;
        QStringList lines;
    } cases[] = {
        {"one-day table", {{0, 0, 1, 10, 3, 8, 95, 0}}, {line}},
        {"two-day table",
         {{50, 23, 29, 10, 2, 8, 90, 0}, {0, 0, 1, 10, 3, 8, 95, 0}},
         {QStringLiteral("        Le  Vendredi  29   Février   2008  de  23 h. 40  à  23 h. 50"
                         "   :  Niveau Leq 10 =   90 dB."),
          line, QString()}},
    };
    for (const Case& c : cases) {
        DataStore store;
        putRows(store.Leq10_Records, c.rows);
        store.Leq10_Count = static_cast<int16_t>(c.rows.size() + 1);
        EXPECT_EQ(BuildLeq10Table(store), c.lines) << c.name;
    }
}
