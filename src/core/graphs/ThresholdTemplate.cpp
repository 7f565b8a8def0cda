#include "core/graphs/ThresholdTemplate.h"

#include "core/graphs/GraphTime.h"

#include <QDate>
#include <algorithm>
#include <array>
#include <limits>
#include <optional>

namespace {
using Change = TemplateChange;

// A run-time fault inside the recorded template (16-bit overflow, a date that does not exist, a row
// out of range): the builder gives up with the "incertide" message, never crashes.
struct TemplateFault {};

// A failure the builder reports with its own message.
struct TemplateRefusal {
    const QString* title;
    const QString* text;
};

constexpr int kWindowOpen = 32;
constexpr int kWindowClosed = 64;

int16_t checked16(qint64 value) {
    if (value < std::numeric_limits<int16_t>::min() || value > std::numeric_limits<int16_t>::max())
        throw TemplateFault{};
    return static_cast<int16_t>(value);
}

int16_t saturated16(int value) {
    return static_cast<int16_t>(
        std::clamp<int>(value, std::numeric_limits<int16_t>::min(), std::numeric_limits<int16_t>::max()));
}

// Levels are hundreds x 100 + units in 16 bits, as the device software computed them; a level is
// only worked out when a step needs it.
int16_t level16(int hundreds, int units) {
    return checked16(qint64(hundreds) * 100 + units);
}

// The four thresholds and two switch hours of one parameter set: a history row or the current zone.
// Each level is a (hundreds, units) pair: day, day window open, night, night window open.
struct ParameterSet {
    std::array<std::pair<int16_t, int16_t>, 4> levels{};
    int16_t dayNightHour = 0, nightDayHour = 0;

    int16_t threshold(int windowState, bool night) const {
        const size_t index = (night ? 2 : 0) + (windowState == kWindowOpen ? 1 : 0);
        return level16(levels[index].first, levels[index].second);
    }
};

ParameterSet currentParameters(const ParamZone& zone) {
    ParameterSet set;
    for (int i = 0; i < 4; ++i)
        set.levels[static_cast<size_t>(i)] = {zone[2176 + 2 * i], zone[2177 + 2 * i]};
    set.dayNightHour = zone[2191];
    set.nightDayHour = zone[2193];
    return set;
}

ParameterSet historyParameters(const ParamChangeTable& history, int row) {
    if (row < 1 || row > ParamChangeTable::rowCount) throw TemplateFault{};
    ParameterSet set;
    for (int i = 0; i < 4; ++i)
        set.levels[static_cast<size_t>(i)] = {history(row, 29 + 2 * i), history(row, 30 + 2 * i)};
    set.dayNightHour = history(row, 44);
    set.nightDayHour = history(row, 46);
    return set;
}

// Minutes from noon of the start day. Comparing whole minutes gives the same answers as comparing
// offsets in days rounded to 4 decimals: one minute is 0.0007 day.
qint64 offsetOf(const QDate& start, int day, int month, int year, int hour, int minute) {
    if (day < 1 || day > 31 || month < 1 || month > 12 || hour < 0 || hour > 23 || minute < 0 || minute > 59)
        throw TemplateFault{};
    const QDate date(2000 + year, month, day);
    if (!date.isValid()) throw TemplateFault{};
    return minutesFromNoon(start, date, hour, minute);
}

template <class Table> qint64 rowOffset(const QDate& start, const Table& table, int row) {
    return offsetOf(start, table(row, 3), table(row, 5), table(row, 6), table(row, 2), table(row, 1));
}

bool inRange(int value, int low, int high) {
    return value >= low && value <= high;
}

QDate calendarOrFault(const DataStore& store, int k) {
    const auto date = calendarDate(store, k);
    if (!date) throw TemplateFault{};
    return *date;
}

bool sameThresholdColumns(const ParamChangeTable& history, int a, int b) {
    for (int col = 29; col <= 36; ++col)
        if (history(a, col) != history(b, col)) return false;
    return history(a, 44) == history(b, 44) && history(a, 46) == history(b, 46);
}

// The steps of the recorded template; throws TemplateRefusal or TemplateFault when it cannot be built.
void buildRecorded(DataStore& store) {
    using namespace TemplateMessages;
    const int days = store.Graph_Days;
    if (days < 1 || days > 7) throw TemplateFault{};
    const GraphSpan window = graphSpanOf(store);
    if (!window.isValid()) throw TemplateFault{};
    const QDate start = window.start;
    const qint64 span = (window.end.toJulianDay() - start.toJulianDay()) * 1440;

    // Window-state rows of the event log, in their order.
    const EventTable& events = store.Event_Records;
    std::vector<int> states; // event rows; states[w - 1] is copy row w
    for (int row = 1; row <= EventTable::rowCount; ++row) {
        if (!inRange(events(row, 1), 0, 59) || !inRange(events(row, 2), 0, 23) ||
            !inRange(events(row, 3), 1, 31) || !inRange(events(row, 5), 1, 12) ||
            !inRange(events(row, 6), 1, 99))
            continue;
        if (events(row, 7) == 0 && (events(row, 8) == kWindowOpen || events(row, 8) == kWindowClosed))
            states.push_back(row);
    }
    if (states.empty()) throw TemplateRefusal{&kTitle, &kNoWindowState};
    const int stateCount = static_cast<int>(states.size());
    auto stateOffset = [&](int w) { return rowOffset(start, events, states[static_cast<size_t>(w - 1)]); };

    // Window rows: the one in force at the start of the window and every change inside it.
    int w1 = 0, w2 = 0;
    for (int w = 1; w <= stateCount; ++w) {
        const qint64 d = stateOffset(w);
        if (d > 0 && d < span) {
            if (w1 == 0) w1 = w;
        } else if (d > span) {
            if (w1 != 0) w2 = w - 1;
            break;
        }
    }
    if (w1 != 0) {
        if (w1 == 1) throw TemplateRefusal{&kTitle, &kBadWindowState}; // nothing known before the window
        if (w2 == 0) w2 = stateCount;
        --w1;
    } else {
        for (int w = 1; w <= stateCount; ++w) {
            if (stateOffset(w) > 0) break;
            w1 = w;
        }
        if (w1 == 0) throw TemplateRefusal{&kTitle, &kBadWindowState};
        w2 = w1;
    }

    // Parameter-history rows: the set in force at the start and every change inside the window.
    const ParamChangeTable& history = store.Param_Change_Records;
    int p1 = 0, p2 = 0, lastInside = 0;
    for (int p = 1; p <= ParamChangeTable::rowCount; ++p) {
        if (history(p, 2) == 255 || history(p, 1) == 255 || history(p, 3) == 255 || history(p, 5) == 255 ||
            history(p, 6) == 255)
            continue;
        const qint64 d = rowOffset(start, history, p);
        if (d > 0 && d < span) {
            if (p1 == 0) p1 = p;
            lastInside = p;
        } else if (d > span) {
            if (p1 != 0) p2 = p - 1;
            break;
        }
    }
    if (p1 != 0) {
        if (p1 == 1) throw TemplateRefusal{&kTitle, &kBadParameterChanges};
        if (p2 == 0) p2 = lastInside;
        --p1;
    } else {
        bool anyValid = false;
        for (int p = 1; p <= ParamChangeTable::rowCount; ++p) {
            if (!inRange(history(p, 1), 0, 59) || !inRange(history(p, 2), 0, 23) ||
                !inRange(history(p, 3), 1, 31) || !inRange(history(p, 5), 1, 12) ||
                !inRange(history(p, 6), 0, 99))
                continue;
            anyValid = true;
            if (rowOffset(start, history, p) > 0) break;
            p1 = p;
        }
        // An empty history leaves p1 at 0: the current parameters apply all along.
        if (anyValid && p1 == 0) throw TemplateRefusal{&kTitle, &kNoParameterBeforeWindow};
        p2 = p1;
    }

    // The changes: parameter sets, window states, and the day/night switches of every day.
    std::vector<Change> changes;
    auto changeAt = [](const auto& table, int row, int16_t kind, int reference) {
        return Change{table(row, 1), table(row, 2), table(row, 3),       table(row, 5),
                      table(row, 6), kind,          checked16(reference)};
    };
    if (p1 == 0) {
        Change c = changeAt(events, states[static_cast<size_t>(w1 - 1)], Change::ParameterSet, 0);
        changes.push_back(c);
    } else {
        for (int p = p1; p <= p2; ++p)
            changes.push_back(changeAt(history, p, Change::ParameterSet, p));
    }
    for (int w = w1; w <= w2; ++w)
        changes.push_back(changeAt(events, states[static_cast<size_t>(w - 1)], Change::WindowState, w));
    const ParameterSet startSet =
        p1 == 0 ? currentParameters(store.Param_Block) : historyParameters(history, p1);
    for (int k = 1; k <= days; ++k) {
        const QDate evening = calendarOrFault(store, k - 1);
        const QDate morning = calendarOrFault(store, k);
        // These hours only place the switches in the sort; the steps take the hours in force.
        changes.push_back({0, startSet.dayNightHour, checked16(evening.day()), checked16(evening.month()),
                           checked16(evening.year() - 2000), Change::Switch, 0});
        changes.push_back({0, startSet.nightDayHour, checked16(morning.day()), checked16(morning.month()),
                           checked16(morning.year() - 2000), Change::Switch, 0});
    }

    SortTemplateChanges(changes);

    // The first two changes must give the state at the start: one parameter set and one window state.
    const bool initialOk =
        (changes[0].kind == Change::ParameterSet && changes[1].kind == Change::WindowState) ||
        (changes[0].kind == Change::WindowState && changes[1].kind == Change::ParameterSet);
    if (!initialOk) throw TemplateRefusal{&kUncertainTitle, &kUncertainParameters};
    size_t currentParam = changes[0].kind == Change::ParameterSet ? 0 : 1;
    size_t currentWindow = 1 - currentParam;

    auto setOf = [&](size_t change) {
        const int reference = changes[change].reference;
        return reference == 0 ? currentParameters(store.Param_Block) : historyParameters(history, reference);
    };
    auto stateOf = [&](size_t change) {
        const int w = changes[change].reference;
        if (w < 1 || w > stateCount) throw TemplateFault{};
        return int(events(states[static_cast<size_t>(w - 1)], 8));
    };

    std::vector<TemplateStep> steps;
    int switches = 0;
    // The level in force just before a change is the one the previous step left (before the first
    // step, the one of the start at noon). Worked out from the change's own hour instead, a window or
    // parameter change logged in the very minute of a day/night switch and sorted ahead of it (the
    // device logs the window state at 07:00 and 22:00) would read the coming half of the day, and the
    // line would show the night threshold all evening and the day threshold all night.
    constexpr int kStartHour = 12;
    auto levelInForce = [&steps](const ParameterSet& set, int state) {
        return steps.empty()
                   ? set.threshold(state, isNightHour(kStartHour, set.dayNightHour, set.nightDayHour))
                   : steps.back().after;
    };
    for (size_t r = 2; r < changes.size(); ++r) {
        const Change& change = changes[r];
        TemplateStep step;
        step.day = change.day;
        step.month = change.month;
        step.year = change.year;
        const ParameterSet set = setOf(currentParam);
        const int state = stateOf(currentWindow);
        if (change.kind == Change::ParameterSet) {
            step.hour = change.hour;
            step.minute = change.minute;
            step.before = levelInForce(set, state);
            currentParam = r;
            const ParameterSet next = setOf(currentParam);
            step.after =
                next.threshold(state, isNightHour(change.hour, next.dayNightHour, next.nightDayHour));
        } else if (change.kind == Change::WindowState) {
            step.hour = change.hour;
            step.minute = change.minute;
            const bool night = isNightHour(change.hour, set.dayNightHour, set.nightDayHour);
            step.before = levelInForce(set, state);
            currentWindow = r;
            step.after = set.threshold(stateOf(currentWindow), night);
        } else {
            const bool toNight = switches % 2 == 0;
            ++switches;
            step.hour = toNight ? set.dayNightHour : set.nightDayHour;
            step.minute = 0;
            step.before = steps.empty() ? set.threshold(state, !toNight) : steps.back().after;
            step.after = set.threshold(state, toNight);
        }
        steps.push_back(step);
    }

    bool constant = true;
    if (p1 != 0 && p1 != p2)
        for (int p = p1; p < p2 && constant; ++p)
            constant = sameThresholdColumns(history, p, p + 1);

    store.Template_Steps = std::move(steps);
    store.Template_Param_First = p1;
    store.Template_Param_Last = p2;
    store.Template_Params_Constant = constant ? kTrue : kFalse;
    store.Template_Drawn = kTrue;
}
} // namespace

bool isNightHour(int hour, int dayNightHour, int nightDayHour) {
    if (dayNightHour < nightDayHour) return hour >= dayNightHour && hour < nightDayHour;
    if (dayNightHour > nightDayHour) return hour >= dayNightHour || hour < nightDayHour;
    return false;
}

void SortTemplateChanges(std::vector<TemplateChange>& changes) {
    auto key = [](const TemplateChange& c, int q) -> int {
        switch (q) {
        case 1:
            return c.year;
        case 2:
            return c.month;
        case 3:
            return c.day;
        case 4:
            return c.hour;
        default:
            return c.minute;
        }
    };
    const size_t count = changes.size();
    for (int q = 1; q <= 5; ++q) {
        for (size_t i = 0; i + 1 < count; ++i) {
            size_t c = i;
            for (size_t j = i; j < count; ++j) {
                bool sameBefore = true;
                for (int k = 1; k < q && sameBefore; ++k)
                    sameBefore = key(changes[j], k) == key(changes[c], k);
                if (sameBefore && key(changes[j], q) < key(changes[c], q)) c = j;
            }
            if (c != i) std::swap(changes[i], changes[c]);
        }
    }
}

void BuildFixedTemplate(DataStore& store, int dayLevel, int nightLevel, int dayNightHour, int nightDayHour) {
    store.Template_Steps.clear();
    const int days = store.Graph_Days;
    if (days < 1 || days > 7) {
        store.Template_Drawn = kFalse;
        return;
    }
    auto calendarNumber = [&](int k, int column) {
        return saturated16(store.graphDate(k + 1, column).trimmed().toInt());
    };
    for (int k = 1; k <= days; ++k) {
        TemplateStep evening{calendarNumber(k - 1, 1),
                             calendarNumber(k - 1, 2),
                             saturated16(calendarNumber(k - 1, 3) - 2000),
                             saturated16(dayNightHour),
                             0,
                             saturated16(dayLevel),
                             saturated16(nightLevel)};
        TemplateStep morning{calendarNumber(k, 1),
                             calendarNumber(k, 2),
                             saturated16(calendarNumber(k, 3) - 2000),
                             saturated16(nightDayHour),
                             0,
                             saturated16(nightLevel),
                             saturated16(dayLevel)};
        store.Template_Steps.push_back(evening);
        store.Template_Steps.push_back(morning);
    }
    store.Template_Drawn = kTrue;
}

bool BuildRecordedTemplate(DataStore& store, UiServices& ui) {
    store.Template_Drawn = kFalse;
    store.Template_Params_Constant = kFalse;
    store.Template_Param_First = 0;
    store.Template_Param_Last = 0;
    try {
        buildRecorded(store);
        return true;
    } catch (const TemplateRefusal& refusal) {
        ui.message(MessageIcon::Information, *refusal.title, *refusal.text);
    } catch (const TemplateFault&) {
        ui.message(MessageIcon::Information, TemplateMessages::kUncertainTitle,
                   TemplateMessages::kUncertainParameters);
    }
    store.Template_Steps.clear();
    store.Template_Drawn = kFalse;
    return false;
}

void BuildThresholdTemplate(DataStore& store, UiServices& ui) {
    if (store.Device_Version == 3) {
        BuildFixedTemplate(store, store.Graph_Day_Level, store.Graph_Night_Level, store.Graph_Day_Night_Hour,
                           store.Graph_Night_Day_Hour);
    } else if (store.Device_Version == 5) {
        if (BuildRecordedTemplate(store, ui)) return;
        // The current parameters, window closed all along.
        const ParamZone& zone = store.Param_Block;
        BuildFixedTemplate(store, zone[2176] * 100 + zone[2177], zone[2180] * 100 + zone[2181], zone[2191],
                           zone[2193]);
    } else {
        store.Template_Steps.clear();
        store.Template_Drawn = kFalse;
    }
}
