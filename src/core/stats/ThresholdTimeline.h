#pragma once

#include "core/store/DataStore.h"

#include <QDateTime>
#include <vector>

// Four thresholds (dB) and the two switch hours of one parameter set.
struct ThresholdSet {
    int day = 0;
    int dayWindowOpen = 0;
    int night = 0;
    int nightWindowOpen = 0;
    int dayNightHour = 0;
    int nightDayHour = 0;
    bool operator==(const ThresholdSet&) const = default;
};

// The threshold in force at one minute and whether that minute is a night minute.
struct ThresholdInForce {
    int threshold = 0;
    bool night = false;
    bool windowOpen = false;
};

// Which threshold the device applied at any minute, with the rules of the graph's template: the day or
// night threshold by the switch hours of the set in force, the window-open variant while the room's
// window is open.
//
// Generation 5 ("recorded"): the set in force at a minute is the newest valid parameter-history row
// stamped at or before it; before the oldest row (or with no history) the current parameter zone is
// taken, the only set known. The window is open from a "Fenêtre Ouverte" event to the next "Fenêtre
// Fermée" event; before the first window event it counts as closed. A change of switch hours takes
// effect at the minute of the change, so a day may be split by the old hours before it and the new
// ones after it. As in the template, only the hour of a minute decides day or night.
//
// Fixed thresholds (typed by the user, generation 3): no window-open variant and no history.
class ThresholdTimeline {
public:
    static ThresholdTimeline fixed(int dayLevel, int nightLevel, int dayNightHour, int nightDayHour);
    static ThresholdTimeline recorded(const DataStore& store);
    // Generation 3 without typed values: the levels and hours of the device's parameter zone.
    static ThresholdTimeline generation3Zone(const ParamZone& zone);

    ThresholdInForce at(const QDateTime& minute) const;
    bool isFixed() const { return m_fixed; }

private:
    struct SetChange {
        QDateTime from;
        ThresholdSet set;
    };
    struct WindowChange {
        QDateTime from;
        bool open = false;
    };
    bool m_fixed = true;
    ThresholdSet m_base;
    std::vector<SetChange> m_sets;      // ascending
    std::vector<WindowChange> m_window; // ascending
};

// The device keeps its own local time and knows nothing of time zones; its stamps are held as UTC
// date-times so that no daylight-saving rule of this computer moves or drops a minute.
inline QDateTime DeviceTime(const QDate& date, const QTime& time) {
    return QDateTime(date, time, Qt::UTC);
}

// The stamp of a record row as a date-time, or an invalid one when the row's date does not exist.
template <class Table> QDateTime RowStamp(const Table& table, int row) {
    const QDate date(2000 + table(row, 6), table(row, 5), table(row, 3));
    const QTime time(table(row, 2), table(row, 1));
    if (!date.isValid() || !time.isValid()) return {};
    return DeviceTime(date, time);
}
