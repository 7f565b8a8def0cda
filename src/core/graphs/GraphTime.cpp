#include "core/graphs/GraphTime.h"

#include "core/store/Labels.h"

#include <cmath>

int minutesPerUnit(int graphDays) {
    switch (graphDays) {
    case 7:
        return 360;
    case 3:
        return 180;
    default:
        return 60;
    }
}

double axisEndX(int graphDays) {
    return graphDays == 7 ? 41 : 37;
}

namespace {
QDate dateFromTexts(const QString& day, const QString& month, const QString& year) {
    return ParseDateText(day + QLatin1Char('/') + month + QLatin1Char('/') + year);
}

QDate recordDate(int day, int month, int year) {
    if (day < 1 || day > 31 || month < 1 || month > 12) return {};
    return QDate(2000 + year, month, day);
}
} // namespace

GraphSpan graphSpanOf(const DataStore& store) {
    GraphSpan span;
    span.start = dateFromTexts(store.Start_Day, store.Start_Month, store.Start_Year);
    span.end = dateFromTexts(store.End_Day, store.End_Month, store.End_Year);
    span.days = store.Graph_Days;
    return span;
}

std::optional<QDate> calendarDate(const DataStore& store, int k) {
    if (k < 0 || k > 7) return std::nullopt;
    const QDate date =
        dateFromTexts(store.graphDate(k + 1, 1), store.graphDate(k + 1, 2), store.graphDate(k + 1, 3));
    if (!date.isValid()) return std::nullopt;
    return date;
}

qint64 minutesFromNoon(const QDate& start, const QDate& date, int hour, int minute) {
    return (date.toJulianDay() - start.toJulianDay()) * 1440 + qint64{hour - 12} * 60 + minute;
}

std::optional<qint64> minutesSinceStart(const GraphSpan& span, int day, int month, int year, int hour,
                                        int minute) {
    if (!span.start.isValid() || hour < 0 || hour > 23 || minute < 0 || minute > 59) return std::nullopt;
    const QDate date = recordDate(day, month, year);
    if (!date.isValid()) return std::nullopt;
    return minutesFromNoon(span.start, date, hour, minute);
}

std::optional<double> timeX(const GraphSpan& span, int day, int month, int year, int hour, int minute) {
    const auto minutes = minutesSinceStart(span, day, month, year, hour, minute);
    if (!minutes) return std::nullopt;
    const double days = std::round(static_cast<double>(*minutes) / 1440.0 * 1e7) / 1e7;
    return days / 0.0006944 / minutesPerUnit(span.days) + 12;
}

bool isInsideWindow(const GraphSpan& span, int day, int month, int year, int hour) {
    const QDate date = recordDate(day, month, year);
    if (!date.isValid() || !span.isValid()) return false;
    if (date == span.start) return hour >= 12;
    if (date == span.end) return hour <= 11;
    return date > span.start && date < span.end;
}
