#pragma once

#include "core/graphs/GraphPeriod.h"
#include "core/graphs/RecordingCanvas.h"
#include "core/store/DataStore.h"

#include <QDateTime>
#include <cmath>
#include <gtest/gtest.h>

// Readable failures for template steps.
inline void PrintTo(const TemplateStep& s, std::ostream* os) {
    *os << s.day << "/" << s.month << "/" << s.year << " " << s.hour << ":" << s.minute << " " << s.before
        << "->" << s.after;
}

namespace graphtest {

using Prim = RecordingCanvas::Primitive;
using Kind = RecordingCanvas::Kind;

// A store whose graph window starts at noon of that day.
inline void setWindow(DataStore& store, int day, int month, int year, int days) {
    StoreGraphWindow(store, {day, month, year}, days);
}

// Writes a record's date columns (1 minute, 2 hour, 3 day, 5 month, 6 year within the century).
template <class Table> void setDate(Table& table, int row, const QDateTime& at) {
    table(row, 1) = static_cast<int16_t>(at.time().minute());
    table(row, 2) = static_cast<int16_t>(at.time().hour());
    table(row, 3) = static_cast<int16_t>(at.date().day());
    table(row, 5) = static_cast<int16_t>(at.date().month());
    table(row, 6) = static_cast<int16_t>(at.date().year() - 2000);
}

// A level record as the device stores it: generation 5 keeps the hundreds in column 8.
inline void setLevel(LeqTable& table, int row, const QDateTime& at, int level, int generation,
                     int type = 10) {
    setDate(table, row, at);
    table(row, 4) = static_cast<int16_t>(generation == 5 ? type : 0);
    const auto hundreds = static_cast<int16_t>(level / 100), units = static_cast<int16_t>(level % 100);
    table(row, 7) = generation == 5 ? units : hundreds;
    table(row, 8) = generation == 5 ? hundreds : units;
}

inline void setEvent(EventTable& table, int row, const QDateTime& at, int code7, int code8) {
    setDate(table, row, at);
    table(row, 7) = static_cast<int16_t>(code7);
    table(row, 8) = static_cast<int16_t>(code8);
}

inline QDateTime at(int day, int month, int year, int hour, int minute) {
    return QDateTime(QDate(year, month, day), QTime(hour, minute));
}

inline bool near(double a, double b, double tolerance = 1e-4) {
    return std::abs(a - b) <= tolerance;
}

inline bool sameLine(const Prim& p, double x1, double y1, double x2, double y2, double tolerance = 1e-4) {
    return p.kind == Kind::Line && near(p.x1, x1, tolerance) && near(p.y1, y1, tolerance) &&
           near(p.x2, x2, tolerance) && near(p.y2, y2, tolerance);
}

inline int countLines(const RecordingCanvas& canvas, double x1, double y1, double x2, double y2,
                      double tolerance = 1e-4) {
    int n = 0;
    for (const Prim& p : canvas.primitives())
        n += sameLine(p, x1, y1, x2, y2, tolerance);
    return n;
}

// The first text printed with that content; fails the test when there is none.
inline Prim textOf(const RecordingCanvas& canvas, const QString& text) {
    const auto found = canvas.textsEqualTo(text);
    EXPECT_FALSE(found.empty()) << text.toStdString();
    return found.empty() ? Prim{} : found.front();
}

} // namespace graphtest
