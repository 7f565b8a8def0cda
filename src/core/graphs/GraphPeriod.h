#pragma once

#include "core/graphs/GraphTime.h"
#include "core/platform/UiServices.h"
#include "core/store/DataStore.h"

#include <QDate>
#include <QString>
#include <array>
#include <optional>

// The graph dialogs' rules: the window from noon of the start day, its calendar, the threshold boxes.

struct DayMonthYear {
    int day = 0;
    int month = 0;
    int year = 0;
    bool operator==(const DayMonthYear&) const = default;
};

// A year is a leap year when it divides by 4: the device's calendar knows no other rule.
bool isGraphLeapYear(int year);
// The end day of the window: start day + length, rolled over into the next month at most once.
DayMonthYear GraphEndDate(const DayMonthYear& start, int days);
// Rows 0 .. days of the window calendar: the start day, each following day, the end day.
std::array<DayMonthYear, 8> GraphCalendar(const DayMonthYear& start, int days);

// Writes the window into the store: Graph_Days and its text, the start and end texts (without
// leading zeros, as the dialog stores them) and the window calendar.
void StoreGraphWindow(DataStore& store, const DayMonthYear& start, int days);

// What the user set in a graph dialog. The option buttons are tested 1, 3, 7: the last set one wins.
struct GraphDialogInput {
    QDate startDate;
    bool oneDay = false;
    bool threeDays = false;
    bool sevenDays = false;
    // The generation-3 dialog's boxes; ignored by the generation-5 dialog.
    QString dayLevel, nightLevel, dayNightHour, nightDayHour;
};

// The dialog's Ok: checks the threshold boxes (generation 3), then stores the window. A box that
// does not hold a whole number, or an hour outside 0..23, shows a message and returns false: the
// dialog stays open and nothing is stored.
bool AcceptGraphDialog(DataStore& store, const GraphDialogInput& input, bool withThresholds, UiServices& ui);

// The title and text shown for a refused threshold box.
inline const QString kGraphDialogTitle = QStringLiteral("Paramètres du graphique Leq");

// Finds the rows of Leq_Records inside the window (Period_First, Period_Last): 4096 rows are
// searched for generation-3 data, 8192 otherwise.
void FindGraphWindowRows(DataStore& store);
