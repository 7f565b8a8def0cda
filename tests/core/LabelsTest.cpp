#include "core/store/Labels.h"

#include <gtest/gtest.h>

TEST(MonthLabel, EveryMonthHasItsNineCharacterLabel) {
    const char* expected[] = {" Janvier ", " Février ", "  Mars   ", "  Avril  ", "   Mai   ", "  Juin   ",
                              " Juillet ", "  Août   ", "Septembre", " Octobre ", "Novembre ", "Décembre "};
    for (int month = 1; month <= 12; ++month) {
        EXPECT_EQ(MonthLabel(month), QString::fromUtf8(expected[month - 1])) << month;
        EXPECT_EQ(MonthLabel(month).size(), 9) << month;
    }
}

TEST(MonthLabel, OutOfRangeGivesEmptyText) {
    for (int month : {0, 13, -1, 255, 32767}) EXPECT_TRUE(MonthLabel(month).isEmpty()) << month;
}

TEST(WeekdayLabel, KnownDates) {
    struct Case {
        const char* date;
        const char* label;
    } cases[] = {
        {"09/03/2007", "Vendredi"}, {"11/03/2007", "Dimanche"}, {"12/03/2007", " Lundi  "},
        {"13/03/2007", " Mardi  "}, {"14/03/2007", "Mercredi"}, {"15/03/2007", " Jeudi  "},
        {"17/03/2007", " Samedi "}, {"29/02/2008", "Vendredi"}, {"01/01/2000", " Samedi "},
        {"31/12/2099", "Jeudi"},    // checked below with its blanks
        {"05/09/09", " Samedi "},   // a two-digit year is a year of this century
        {"01/01/00", " Samedi "},   {"1/1/2001", " Lundi  "},
    };
    for (const Case& c : cases) {
        const QString label = WeekdayLabel(QString::fromLatin1(c.date));
        EXPECT_EQ(label.trimmed(), QString::fromLatin1(c.label).trimmed()) << c.date;
        EXPECT_EQ(label.size(), 8) << c.date;
    }
    EXPECT_EQ(WeekdayLabel(QStringLiteral("31/12/2099")), QStringLiteral(" Jeudi  "));
}

TEST(WeekdayLabel, TwoDigitYearsMatchTheirCenturyForEveryYear) {
    for (int year = 0; year <= 99; ++year) {
        const QString twoDigits = QStringLiteral("15/06/%1").arg(year, 2, 10, QLatin1Char('0'));
        const QString fourDigits = QStringLiteral("15/06/%1").arg(2000 + year);
        EXPECT_EQ(WeekdayLabel(twoDigits), WeekdayLabel(fourDigits)) << year;
        EXPECT_EQ(WeekdayLabel(twoDigits), WeekdayLabelOf(QDate(2000 + year, 6, 15))) << year;
    }
}

TEST(WeekdayLabel, ImpossibleDatesGiveEmptyText) {
    for (const char* date : {"", "31/02/2009", "00/01/2009", "12/13/2009", "abc", "1/2", "255/255/255"})
        EXPECT_TRUE(WeekdayLabel(QString::fromLatin1(date)).isEmpty()) << date;
}

TEST(BuildSerialNumber, JoinsTheEightCellsWithoutLeadingZeros) {
    struct Case {
        std::array<int16_t, 8> cells;
        const char* serial;
    } cases[] = {
        {{12, 34, 5, 6, 0, 1, 2, 3}, "1234560123"},
        {{0, 0, 0, 0, 0, 0, 0, 0}, "00000000"},
        {{255, 255, 255, 255, 255, 255, 255, 255}, "255255255255255255255255"},
        {{1, 2, 3, 4, 5, 6, 7, 8}, "12345678"},
    };
    for (const Case& c : cases) {
        DataStore store;
        for (int i = 0; i < 8; ++i) store.Param_Block[2360 + i] = c.cells[static_cast<size_t>(i)];
        BuildSerialNumber(store);
        EXPECT_EQ(store.Serial_Number, QString::fromLatin1(c.serial));
    }
}

TEST(TwoDigits, AddsALeadingZeroBelowTen) {
    EXPECT_EQ(TwoDigits(0), "00");
    EXPECT_EQ(TwoDigits(5), "05");
    EXPECT_EQ(TwoDigits(10), "10");
    EXPECT_EQ(TwoDigits(255), "255");
}
