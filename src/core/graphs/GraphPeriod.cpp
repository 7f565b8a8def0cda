#include "core/graphs/GraphPeriod.h"

namespace {
int monthLength(int month, int year) {
    switch (month) {
    case 2:
        return isGraphLeapYear(year) ? 29 : 28;
    case 4:
    case 6:
    case 9:
    case 11:
        return 30;
    default:
        return 31;
    }
}

DayMonthYear rollOver(DayMonthYear date) {
    const int length = monthLength(date.month, date.year);
    if (date.day > length) {
        date.day -= length;
        ++date.month;
        if (date.month == 13) {
            date.month = 1;
            ++date.year;
        }
    }
    return date;
}

// With no option set the length chosen last stays.
int windowLength(const GraphDialogInput& input, int previous) {
    int days = previous == 1 || previous == 3 || previous == 7 ? previous : 0;
    if (input.oneDay) days = 1;
    if (input.threeDays) days = 3;
    if (input.sevenDays) days = 7;
    return days;
}

// A whole number in the box, blanks around it allowed.
std::optional<int> wholeNumber(const QString& text, int low, int high) {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (!ok || value < low || value > high) return std::nullopt;
    return value;
}
} // namespace

bool isGraphLeapYear(int year) {
    return year % 4 == 0;
}

DayMonthYear GraphEndDate(const DayMonthYear& start, int days) {
    return rollOver({start.day + days, start.month, start.year});
}

std::array<DayMonthYear, 8> GraphCalendar(const DayMonthYear& start, int days) {
    std::array<DayMonthYear, 8> calendar{};
    if (days < 1) days = 1;
    if (days > 7) days = 7;
    calendar[0] = start;
    for (int k = 1; k < days; ++k) {
        const DayMonthYear& previous = calendar[static_cast<size_t>(k - 1)];
        calendar[static_cast<size_t>(k)] = rollOver({previous.day + 1, previous.month, previous.year});
    }
    calendar[static_cast<size_t>(days)] = GraphEndDate(start, days);
    return calendar;
}

void StoreGraphWindow(DataStore& store, const DayMonthYear& start, int days) {
    store.Graph_Days = static_cast<int16_t>(days);
    store.Graph_Days_Text = QString::number(days);
    store.Start_Day = QString::number(start.day);
    store.Start_Month = QString::number(start.month);
    store.Start_Year = QString::number(start.year);
    const DayMonthYear end = GraphEndDate(start, days);
    store.End_Day = QString::number(end.day);
    store.End_Month = QString::number(end.month);
    store.End_Year = QString::number(end.year);
    const auto calendar = GraphCalendar(start, days);
    for (int k = 0; k <= days && k <= 7; ++k) {
        const DayMonthYear& row = calendar[static_cast<size_t>(k)];
        store.graphDate(k + 1, 1) = QString::number(row.day);
        store.graphDate(k + 1, 2) = QString::number(row.month);
        store.graphDate(k + 1, 3) = QString::number(row.year);
    }
}

bool AcceptGraphDialog(DataStore& store, const GraphDialogInput& input, bool withThresholds, UiServices& ui) {
    const int days = windowLength(input, store.Graph_Days);
    if (days == 0) {
        ui.message(MessageIcon::Warning, kGraphDialogTitle,
                   QStringLiteral("Choisissez la durée de l'analyse : 1, 3 ou 7 jours."));
        return false;
    }
    if (!input.startDate.isValid()) {
        ui.message(MessageIcon::Warning, kGraphDialogTitle,
                   QStringLiteral("Choisissez le jour de début d'analyse."));
        return false;
    }
    std::optional<int> dayLevel, nightLevel, dayNightHour, nightDayHour;
    if (withThresholds) {
        struct Box {
            const QString& text;
            std::optional<int>& value;
            bool hour;
            const char* name;
        } boxes[] = {
            {input.dayLevel, dayLevel, false, "Niveau Leq Jour"},
            {input.nightLevel, nightLevel, false, "Niveau Leq Nuit"},
            {input.dayNightHour, dayNightHour, true, "Heure Jour vers Nuit"},
            {input.nightDayHour, nightDayHour, true, "Heure Nuit vers Jour"},
        };
        for (Box& box : boxes) {
            box.value = box.hour ? wholeNumber(box.text, 0, 23) : wholeNumber(box.text, 0, 32767);
            if (box.value) continue;
            const QString name = QString::fromUtf8(box.name);
            ui.message(
                MessageIcon::Warning, kGraphDialogTitle,
                box.hour
                    ? QStringLiteral("La valeur « %1 » doit être une heure entière de 0 à 23.").arg(name)
                    : QStringLiteral("La valeur « %1 » doit être un nombre entier de décibels.").arg(name));
            return false;
        }
    }

    if (withThresholds) {
        store.Graph_Day_Level = static_cast<int16_t>(*dayLevel);
        store.Graph_Night_Level = static_cast<int16_t>(*nightLevel);
        store.Graph_Day_Night_Hour = static_cast<int16_t>(*dayNightHour);
        store.Graph_Night_Day_Hour = static_cast<int16_t>(*nightDayHour);
    }
    StoreGraphWindow(store, {input.startDate.day(), input.startDate.month(), input.startDate.year()}, days);
    return true;
}

void FindGraphWindowRows(DataStore& store) {
    const int bound = store.Device_Version == 3 ? 4096 : 8192;
    const RowRange range = FindWindowRows(store.Leq_Records, bound, graphSpanOf(store));
    store.Period_First = range.first;
    store.Period_Last = range.last;
}
