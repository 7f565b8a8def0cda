#include "core/stats/ThresholdTimeline.h"

#include "core/graphs/ThresholdTemplate.h"
#include "core/store/Validity.h"

#include <algorithm>
#include <iterator>

namespace {
constexpr int kWindowOpen = 32;
constexpr int kWindowClosed = 64;

int levelOf(int hundreds, int units) {
    return hundreds * 100 + units;
}

ThresholdSet zoneSet(const ParamZone& zone, int dayNightCell, int nightDayCell) {
    return {levelOf(zone[2176], zone[2177]),
            levelOf(zone[2178], zone[2179]),
            levelOf(zone[2180], zone[2181]),
            levelOf(zone[2182], zone[2183]),
            zone[dayNightCell],
            zone[nightDayCell]};
}

ThresholdSet historySet(const ParamChangeTable& history, int row) {
    return {levelOf(history(row, 29), history(row, 30)),
            levelOf(history(row, 31), history(row, 32)),
            levelOf(history(row, 33), history(row, 34)),
            levelOf(history(row, 35), history(row, 36)),
            history(row, 44),
            history(row, 46)};
}

template <class Change> const Change* inForceAt(const std::vector<Change>& changes, const QDateTime& minute) {
    auto after = std::upper_bound(changes.begin(), changes.end(), minute,
                                  [](const QDateTime& m, const Change& c) { return m < c.from; });
    return after == changes.begin() ? nullptr : &*std::prev(after);
}
} // namespace

ThresholdTimeline ThresholdTimeline::fixed(int dayLevel, int nightLevel, int dayNightHour, int nightDayHour) {
    ThresholdTimeline timeline;
    timeline.m_base = {dayLevel, dayLevel, nightLevel, nightLevel, dayNightHour, nightDayHour};
    return timeline;
}

ThresholdTimeline ThresholdTimeline::generation3Zone(const ParamZone& zone) {
    const ThresholdSet set = zoneSet(zone, 2187, 2189);
    return fixed(set.day, set.night, set.dayNightHour, set.nightDayHour);
}

ThresholdTimeline ThresholdTimeline::recorded(const DataStore& store) {
    ThresholdTimeline timeline;
    timeline.m_fixed = false;
    timeline.m_base = zoneSet(store.Param_Block, 2191, 2193);
    for (int r = 1; r <= ParamChangeTable::rowCount; ++r) {
        if (!isValidParamChangeRow(store.Param_Change_Records, r)) continue;
        const QDateTime stamp = RowStamp(store.Param_Change_Records, r);
        if (stamp.isValid()) timeline.m_sets.push_back({stamp, historySet(store.Param_Change_Records, r)});
    }
    for (int r = 1; r <= EventTable::rowCount; ++r) {
        const EventTable& events = store.Event_Records;
        if (!hasValidRecordDate(events, r) || events(r, 7) != 0) continue;
        if (events(r, 8) != kWindowOpen && events(r, 8) != kWindowClosed) continue;
        const QDateTime stamp = RowStamp(events, r);
        if (stamp.isValid()) timeline.m_window.push_back({stamp, events(r, 8) == kWindowOpen});
    }
    // The rows come sorted from the device; a stable sort keeps rows of the same minute in log order
    // (the later one wins) even for data that was not.
    std::stable_sort(timeline.m_sets.begin(), timeline.m_sets.end(),
                     [](const SetChange& a, const SetChange& b) { return a.from < b.from; });
    std::stable_sort(timeline.m_window.begin(), timeline.m_window.end(),
                     [](const WindowChange& a, const WindowChange& b) { return a.from < b.from; });
    return timeline;
}

ThresholdInForce ThresholdTimeline::at(const QDateTime& minute) const {
    const SetChange* setChange = inForceAt(m_sets, minute);
    const ThresholdSet& set = setChange ? setChange->set : m_base;
    const WindowChange* windowChange = inForceAt(m_window, minute);
    ThresholdInForce result;
    result.windowOpen = !m_fixed && windowChange && windowChange->open;
    result.night = isNightHour(minute.time().hour(), set.dayNightHour, set.nightDayHour);
    if (result.night)
        result.threshold = result.windowOpen ? set.nightWindowOpen : set.night;
    else
        result.threshold = result.windowOpen ? set.dayWindowOpen : set.day;
    return result;
}
