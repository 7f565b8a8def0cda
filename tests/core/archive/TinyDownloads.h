#pragma once

#include "core/store/DataStore.h"

#include <QDateTime>
#include <vector>

// Small hand-made downloads: a device with a given serial, its level rows and events, read at a given
// moment. Enough to state a stitching case in one table line.
struct TinyLevel {
    QDateTime at;
    int kind; // 1 or 10
    int level;
};

inline QDateTime at(int day, int hour, int minute, int month = 10) {
    return QDateTime(QDate(2026, month, day), QTime(hour, minute), Qt::UTC);
}

inline DeviceData tinyDownload(int serialLast, const std::vector<TinyLevel>& levels, const QDateTime& readAt,
                               const std::vector<std::pair<QDateTime, int>>& events = {}) {
    DeviceData data;
    data.Leq_Records.fill(255);
    data.Event_Records.fill(255);
    data.Param_Change_Records.fill(255);
    data.Param_Block.fill(0);
    data.Param_Block[6] = 0x4C; // A-weighting
    const int serial[8] = {40, 3, 1, 2, 3, 4, 5, serialLast};
    for (int i = 0; i < 8; ++i)
        data.Param_Block[2360 + i] = static_cast<int16_t>(serial[i]);
    auto putDate = [](auto& table, int row, const QDateTime& t) {
        table(row, 1) = static_cast<int16_t>(t.time().minute());
        table(row, 2) = static_cast<int16_t>(t.time().hour());
        table(row, 3) = static_cast<int16_t>(t.date().day());
        table(row, 5) = static_cast<int16_t>(t.date().month());
        table(row, 6) = static_cast<int16_t>(t.date().year() - 2000);
    };
    int row = 0;
    for (const TinyLevel& l : levels) {
        putDate(data.Leq_Records, ++row, l.at);
        data.Leq_Records(row, 4) = static_cast<int16_t>(l.kind);
        data.Leq_Records(row, 7) = static_cast<int16_t>(l.level % 100);
        data.Leq_Records(row, 8) = static_cast<int16_t>(l.level / 100);
    }
    row = 0;
    for (const auto& [t, code8] : events) {
        putDate(data.Event_Records, ++row, t);
        data.Event_Records(row, 4) = 0;
        data.Event_Records(row, 7) = 0;
        data.Event_Records(row, 8) = static_cast<int16_t>(code8);
    }
    data.Transfer_Date = readAt.date().toString(QStringLiteral("dd/MM/yyyy"));
    data.Transfer_Time = readAt.time().toString(QStringLiteral("hh:mm:ss"));
    return data;
}
