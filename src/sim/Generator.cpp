#include "sim/Generator.h"

#include <algorithm>
#include <array>
#include <random>
#include <tuple>
#include <vector>

namespace {

constexpr int kMinutesPerDay = 1440;

// std::mt19937 is the same everywhere; the standard distributions are not, so the few this
// generator needs are written out.
class Rng {
public:
    explicit Rng(uint32_t seed) : m_engine(seed) {}
    int uniform(int lo, int hi) {
        return lo + static_cast<int>(static_cast<uint32_t>(m_engine()) % static_cast<uint32_t>(hi - lo + 1));
    }
    bool chance(int percent) { return uniform(0, 99) < percent; }

private:
    std::mt19937 m_engine;
};

// Sound energy of a level, 10^(L/10) scaled by 1000, in integers so that the ten-minute average is
// bit-identical on every platform. Levels are kept within 20..130 dB.
int64_t energyOf(int level) {
    static constexpr std::array<int64_t, 10> kTenths = {1000, 1259, 1585, 1995, 2512,
                                                        3162, 3981, 5012, 6310, 7943};
    int64_t energy = kTenths[static_cast<std::size_t>(level % 10)];
    for (int i = 0; i < level / 10; ++i)
        energy *= 10;
    return energy;
}

int levelOfEnergy(int64_t energy) {
    int level = 20;
    while (level < 130 && energyOf(level + 1) <= energy)
        ++level;
    // Round to the nearer whole decibel: half a decibel up is a factor of 1.122.
    const int64_t lower = energyOf(level);
    if (level < 130 && energy - lower >= lower / 1000 * 122) ++level;
    return level;
}

struct ParamSet {
    int dayLeq = 102, dayWindow = 95, nightLeq = 99, nightWindow = 92;
    int publicLevel = 105, sensorLevel = 100;
    int dayToNight = GeneratorFacts::kDayToNightHour, nightToDay = GeneratorFacts::kNightToDayHour;

    bool isNight(int hour) const {
        if (dayToNight < nightToDay) return hour >= dayToNight && hour < nightToDay;
        if (dayToNight > nightToDay) return hour >= dayToNight || hour < nightToDay;
        return false;
    }
    int threshold(int hour, bool windowOpen) const {
        if (isNight(hour)) return windowOpen ? nightWindow : nightLeq;
        return windowOpen ? dayWindow : dayLeq;
    }
};

struct Interval {
    int from, to; // minutes since the start day's midnight, [from, to)
    bool contains(int t) const { return t >= from && t < to; }
};

struct Session {
    int open, close, peak;
};

struct Event {
    int t, code7, code8;
};

struct ParamChange {
    int t;
    ParamSet set;
};

using Row8 = std::array<int16_t, 8>;

// Cut and option bytes: sensor cut on, A weighting; general cut on, relay normally open.
constexpr int kOptionA = 0x4C;
constexpr int kOptionB = 0x20;

class Builder {
public:
    explicit Builder(const GeneratorOptions& options) : m_opt(options), m_rng(options.seed) {}

    DeviceData build() {
        plan();
        return readAt(m_end, m_endSecond);
    }

    // The memory as a transfer at minute `at` (true time since the start day's midnight) finds it.
    std::vector<DeviceData> readings(const std::vector<int>& days, int clearedDay) {
        plan();
        std::vector<DeviceData> result;
        for (int day : days) {
            const int at = std::min(m_end, day * kMinutesPerDay + 10 * 60 + m_rng.uniform(0, 119));
            // A memory erased at the 9 o'clock service visit holds nothing older from then on.
            const int cleared = clearedDay * kMinutesPerDay + 9 * 60;
            result.push_back(readAt(at, m_rng.uniform(0, 59), clearedDay > 0 && at > cleared ? cleared : 0));
        }
        return result;
    }

private:
    void plan() {
        m_install = 10 * 60 + m_rng.uniform(0, 59);
        m_end = m_opt.days * kMinutesPerDay + 10 * 60 + m_rng.uniform(0, 119);
        m_endSecond = m_rng.uniform(0, 59);
        m_serial = {40, m_rng.uniform(1, 9)};
        for (std::size_t i = 2; i < m_serial.size(); ++i)
            m_serial[i] = m_rng.uniform(0, 99);

        planInstallation();
        planSessions();
        planParamChanges();
        planQuietHours();
        planSwitchLogs();
        simulateMinutes();
        std::stable_sort(m_events.begin(), m_events.end(),
                         [](const Event& a, const Event& b) { return a.t < b.t; });
    }

    DeviceData readAt(int at, int second, int from = 0) const {
        DeviceData data;
        fillLevels(data, at, from);
        fillEvents(data, at, from);
        if (gen5()) {
            fillParamZoneV5(data, m_serial, at);
            fillParamChanges(data, at, from);
            const int clock = clockOf(at);
            const QDate endDay = m_opt.start.addDays(clock / kMinutesPerDay);
            const QTime endTime(clock % kMinutesPerDay / 60, clock % 60, second);
            data.Transfer_Date = endDay.toString(QStringLiteral("dd/MM/yyyy"));
            data.Transfer_Time = endTime.toString(QStringLiteral("hh:mm:ss"));
        } else {
            fillParamZoneV3(data, m_serial, at);
        }
        return data;
    }

    // The device's clock at true minute t: an hour ahead after the spring change, back after the autumn one.
    int clockOf(int t) const {
        if (!m_opt.summerTime) return t;
        int offset = 0;
        for (int day = 0; day * kMinutesPerDay <= t; ++day) {
            const QDate date = m_opt.start.addDays(day);
            if (date.dayOfWeek() != 7 || date.addDays(7).month() == date.month()) continue;
            if (date.month() == 3 && t >= day * kMinutesPerDay + 2 * 60) offset += 60;
            if (date.month() == 10 && t >= day * kMinutesPerDay + 3 * 60) offset -= 60;
        }
        return t + offset;
    }

    bool gen5() const { return m_opt.generation == 5; }
    void event(int t, int code7, int code8) {
        if (t >= m_install && t < m_end && isPowered(t)) m_events.push_back({t, code7, code8});
    }
    bool isPowered(int t) const {
        return std::none_of(m_powerCuts.begin(), m_powerCuts.end(),
                            [t](const Interval& i) { return i.contains(t); });
    }
    bool windowOpen(int t) const {
        return std::any_of(m_windows.begin(), m_windows.end(),
                           [t](const Interval& i) { return i.contains(t); });
    }
    static int minuteOfDay(int t) { return t % kMinutesPerDay; }

    // The technician starts the device, sets it up with the cover open, and the device notes the
    // window state it finds.
    void planInstallation() {
        ParamSet set;
        set.dayLeq = 100 + m_rng.uniform(0, 5);
        set.dayWindow = set.dayLeq - m_rng.uniform(5, 8);
        set.nightLeq = set.dayLeq - m_rng.uniform(2, 5);
        set.nightWindow = set.nightLeq - m_rng.uniform(5, 8);
        set.publicLevel = set.dayLeq + 3;
        m_changes.push_back({m_install + 3, set});

        event(m_install, 0, 4); // system start
        event(m_install + 1, 1, 0);
        if (gen5()) event(m_install + 2, 0, 64);
        event(m_install + 3, 128, 0);
        if (gen5()) event(m_install + 4, 64, 0); // configuration written
        event(m_install + 6, 2, 0);
    }

    // One evening of music per day, later and louder on Friday and Saturday; in generation 5 the
    // window is opened now and then for a while.
    void planSessions() {
        for (int day = 0; day < m_opt.days; ++day) {
            const int weekday = m_opt.start.addDays(day).dayOfWeek();
            const bool late = weekday == 5 || weekday == 6;
            Session s;
            s.open = day * kMinutesPerDay + 18 * 60 + m_rng.uniform(0, 90);
            s.close = (day + 1) * kMinutesPerDay + 30 + m_rng.uniform(0, 120) + (late ? 60 : 0);
            s.peak = 91 + m_rng.uniform(0, 6) + (late ? 3 : 0);
            // The night the clocks go back the bar plays on through the hour lived twice.
            const QDate next = m_opt.start.addDays(day + 1);
            if (m_opt.summerTime && next.month() == 10 && next.dayOfWeek() == 7 &&
                next.addDays(7).month() == 11)
                s.close = (day + 1) * kMinutesPerDay + 5 * 60;
            m_sessions.push_back(s);
            if (!gen5()) continue;
            int cursor = s.open + m_rng.uniform(20, 90);
            while (cursor < s.close - 60 && m_rng.chance(75)) {
                Interval w{cursor, cursor + m_rng.uniform(5, 45)};
                // The device logs the window state itself at the switch hours; a user's move
                // never falls on the same minute.
                if (isSwitchMinute(w.from)) ++w.from;
                if (isSwitchMinute(w.to)) ++w.to;
                m_windows.push_back(w);
                event(w.from, 0, 32);
                event(w.to, 0, 64);
                cursor = w.to + m_rng.uniform(30, 150);
            }
        }
    }
    static bool isSwitchMinute(int t) {
        const int m = minuteOfDay(t);
        return m == GeneratorFacts::kDayToNightHour * 60 || m == GeneratorFacts::kNightToDayHour * 60;
    }

    // The manager has a threshold moved one afternoon now and then, with the cover open.
    void planParamChanges() {
        const int count = std::max(1, m_opt.days / 3);
        std::vector<int> times;
        for (int i = 0; i < count; ++i) {
            int t = m_rng.uniform(0, m_opt.days - 1) * kMinutesPerDay + 14 * 60 + m_rng.uniform(0, 239);
            t = std::max(t, m_install + 240);
            while (std::find(times.begin(), times.end(), t) != times.end())
                t += 15;
            times.push_back(t);
        }
        std::sort(times.begin(), times.end());
        for (int t : times) {
            ParamSet set = m_changes.back().set;
            int* levels[] = {&set.dayLeq, &set.dayWindow, &set.nightLeq, &set.nightWindow};
            int& level = *levels[m_rng.uniform(0, 3)];
            const int delta = m_rng.uniform(1, 3);
            level = std::clamp(m_rng.chance(50) ? level + delta : level - delta, 85, 110);
            m_changes.push_back({t, set});
            event(t - m_rng.uniform(2, 5), 1, 0);
            event(t, 128, 0);
            event(t + m_rng.uniform(2, 8), 2, 0);
        }
    }

    // Mornings and small hours, when the bar is closed: power cuts, sensor faults and the
    // automatic clock changes of the last Sundays of March and October.
    void planQuietHours() {
        for (int day = 0; day <= m_opt.days; ++day) {
            if (m_rng.chance(20)) {
                const int from = day * kMinutesPerDay + 8 * 60 + m_rng.uniform(0, 299);
                const Interval cut{from, from + m_rng.uniform(1, 30)};
                if (cut.from > m_install + 6 && cut.to < m_end) {
                    event(cut.from, 4, 0);
                    event(cut.to, 0, 4); // system start when the power is back
                    m_powerCuts.push_back(cut);
                }
            }
            if (m_rng.chance(5)) {
                const int from = day * kMinutesPerDay + 4 * 60 + m_rng.uniform(0, 119);
                event(from, 32, 0);
                event(from + m_rng.uniform(1, 20), 0, 1);
            }
            const QDate date = m_opt.start.addDays(day);
            const bool lastSunday = date.dayOfWeek() == 7 && date.addDays(7).month() != date.month();
            if (lastSunday && (date.month() == 3 || date.month() == 10)) {
                // A clock that follows summer time notes the change when it makes it: in spring at
                // the jump (02:00 becomes 03:00, stamped 03:00), in autumn at 03:00 set back to
                // 02:00 (stamped 02:00).
                const int at = day * kMinutesPerDay + (m_opt.summerTime && date.month() == 3 ? 2 : 3) * 60;
                if (gen5())
                    event(at, 8, 0);
                else
                    event(at, 0, 8);
            }
        }
    }

    // At each day/night switch the device writes down whether the window is open.
    void planSwitchLogs() {
        if (!gen5()) return;
        for (int day = 0; day <= m_opt.days; ++day)
            for (int hour : {GeneratorFacts::kNightToDayHour, GeneratorFacts::kDayToNightHour}) {
                const int t = day * kMinutesPerDay + hour * 60;
                if (t > m_install + 2) event(t, 0, windowOpen(t) ? 32 : 64);
            }
    }

    int musicLevel(const Session& s, int t) const {
        const int top = (s.open + s.close) / 2 + 60;
        if (t <= top) return 76 + (s.peak - 76) * (t - s.open) / std::max(1, top - s.open);
        return s.peak - 8 * (t - top) / std::max(1, s.close - top);
    }

    // Minute by minute: the level of the minute that ends at t, the limiter's cuts, the Leq1 row
    // when the level reaches the threshold in force and the Leq10 row every ten minutes.
    void simulateMinutes() {
        std::vector<int> levels(static_cast<std::size_t>(m_end + 1), -1);
        std::vector<char> open(static_cast<std::size_t>(m_end + 1), 0);
        for (const Interval& w : m_windows)
            for (int t = w.from; t < w.to && t <= m_end; ++t)
                open[static_cast<std::size_t>(t)] = 1;
        std::size_t sessionIndex = 0, changeIndex = 0;
        int burstLeft = 0, burstAdd = 0, pausedUntil = 0, tenSecondReady = 0, quieter = 0;
        for (int t = m_install + 1; t < m_end; ++t) {
            while (sessionIndex < m_sessions.size() && m_sessions[sessionIndex].close <= t) {
                ++sessionIndex;
                quieter = 0;
            }
            if (!isPowered(t)) continue;
            const int hour = minuteOfDay(t) / 60;
            const bool daytime = hour >= 9 && hour < 19;
            const bool inSession = sessionIndex < m_sessions.size() && m_sessions[sessionIndex].open <= t;
            int level = 46 + m_rng.uniform(0, 16) + (daytime ? 4 : 0);
            const bool playing = inSession && t >= pausedUntil;
            if (playing) {
                level = musicLevel(m_sessions[sessionIndex], t) - quieter + m_rng.uniform(-2, 2);
                if (burstLeft == 0 && m_rng.chance(4)) {
                    burstLeft = m_rng.uniform(1, 4);
                    burstAdd = m_rng.uniform(4, 9);
                }
                if (burstLeft > 0) {
                    level += burstAdd;
                    --burstLeft;
                }
            }
            level = std::clamp(level, 20, 130);
            levels[static_cast<std::size_t>(t)] = level;

            while (changeIndex + 1 < m_changes.size() && m_changes[changeIndex + 1].t <= t)
                ++changeIndex;
            const bool windowIsOpen = open[static_cast<std::size_t>(t)] != 0;
            const int threshold = m_changes[changeIndex].set.threshold(hour, windowIsOpen);
            if (playing && level >= threshold + 7) {
                // General cut: the sound system stays off for a while and comes back lower.
                const int pause = m_rng.uniform(5, 15);
                event(t, 16, 0);
                if (gen5()) event(t + pause, 0, 16);
                pausedUntil = t + pause;
                quieter += 3;
                burstLeft = 0;
            } else if (playing && level >= threshold + 3 && t >= tenSecondReady) {
                tenSecondCut(t, level);
                tenSecondReady = t + 3;
            }
            if (gen5() && level >= threshold) pushLevel(t, 1, level);
            if (t % 10 == 0) {
                int64_t energy = 0;
                int count = 0;
                for (int m = t - 9; m <= t; ++m) {
                    if (m < 0 || levels[static_cast<std::size_t>(m)] < 0) continue;
                    energy += energyOf(levels[static_cast<std::size_t>(m)]);
                    ++count;
                }
                if (count > 0) {
                    const int leq10 = levelOfEnergy(energy / count);
                    if (leq10 >= GeneratorFacts::kLeq10StoreLevel) pushLevel(t, 10, leq10);
                }
            }
        }
    }

    // Generation 5 notes either the bare cut or, more rarely, the highest level during it
    // (stored as that level + 68).
    void tenSecondCut(int t, int level) {
        if (!gen5())
            event(t, 8, 0);
        else if (m_rng.chance(67))
            event(t, 0, 128);
        else
            event(t, 0, std::min(255, level + m_rng.uniform(2, 6) + 68));
    }

    Row8 dateRow(int trueTime, int kind) const {
        const int t = clockOf(trueTime);
        const QDate date = m_opt.start.addDays(t / kMinutesPerDay);
        const int m = minuteOfDay(t);
        return {static_cast<int16_t>(m % 60),
                static_cast<int16_t>(m / 60),
                static_cast<int16_t>(date.day()),
                static_cast<int16_t>(kind),
                static_cast<int16_t>(date.month()),
                static_cast<int16_t>(date.year() - 2000),
                0,
                0};
    }

    // Generation 5 keeps the hundreds in byte 8, generation 3 in byte 7.
    Row8 levelRow(int t, int kind, int level) const {
        Row8 row = dateRow(t, gen5() ? kind : 0);
        const auto hundreds = static_cast<int16_t>(level / 100), units = static_cast<int16_t>(level % 100);
        row[6] = gen5() ? units : hundreds;
        row[7] = gen5() ? hundreds : units;
        return row;
    }

    void pushLevel(int t, int kind, int level) {
        m_leqRows.push_back(levelRow(t, kind, level));
        m_leqTimes.push_back(t);
    }

    // The rows written from minute `from` to before minute `at`.
    static std::vector<Row8> between(const std::vector<Row8>& rows, const std::vector<int>& times, int from,
                                     int at) {
        const auto begin = std::lower_bound(times.begin(), times.end(), from);
        const auto end = std::lower_bound(times.begin(), times.end(), at);
        return std::vector<Row8>(rows.begin() + (begin - times.begin()),
                                 rows.begin() + (end - times.begin()));
    }

    // A full memory keeps the newest records, like the device's own ring; the device sorts them by its
    // clock, so the hour lived twice in autumn ends up interleaved.
    template <class Table> void fillRows(Table& table, int capacity, std::vector<Row8> rows) const {
        if (m_opt.summerTime)
            std::stable_sort(rows.begin(), rows.end(), [](const Row8& a, const Row8& b) {
                return std::tie(a[5], a[4], a[2], a[1], a[0]) < std::tie(b[5], b[4], b[2], b[1], b[0]);
            });
        table.fill(255);
        const std::size_t skip =
            rows.size() > static_cast<std::size_t>(capacity) ? rows.size() - capacity : 0;
        int r = 1;
        for (std::size_t i = skip; i < rows.size(); ++i, ++r)
            for (int c = 1; c <= 8; ++c)
                table(r, c) = rows[i][static_cast<std::size_t>(c - 1)];
    }

    void fillLevels(DeviceData& data, int at, int from) const {
        const std::vector<Row8> rows = between(m_leqRows, m_leqTimes, from, at);
        // Rows 4097..8192 are not generation-3 memory; they stay as an empty store holds them.
        if (gen5()) {
            fillRows(data.Leq_Records, LeqTable::rowCount, rows);
            return;
        }
        LeqTable part;
        fillRows(part, 4096, rows);
        for (int r = 1; r <= 4096; ++r)
            for (int c = 1; c <= 8; ++c)
                data.Leq_Records(r, c) = part(r, c);
    }

    void fillEvents(DeviceData& data, int at, int from) const {
        std::vector<Row8> rows;
        for (const Event& e : m_events) {
            if (e.t >= at) break;
            if (e.t < from) continue;
            Row8 row = dateRow(e.t, 0);
            row[6] = static_cast<int16_t>(e.code7);
            row[7] = static_cast<int16_t>(e.code8);
            rows.push_back(row);
        }
        fillRows(data.Event_Records, EventTable::rowCount, rows);
    }

    static void writeSet(ParamZone& zone, const ParamSet& set) {
        auto level = [&zone](int cell, int value) {
            zone[cell] = static_cast<int16_t>(value / 100);
            zone[cell + 1] = static_cast<int16_t>(value % 100);
        };
        level(2176, set.dayLeq);
        level(2178, set.dayWindow);
        level(2180, set.nightLeq);
        level(2182, set.nightWindow);
        level(2186, set.publicLevel);
        level(2188, set.sensorLevel);
        zone[2191] = static_cast<int16_t>(set.dayToNight);
        zone[2193] = static_cast<int16_t>(set.nightToDay);
    }

    // The parameter set in force at minute `at`.
    const ParamSet& setAt(int at) const {
        std::size_t i = 0;
        while (i + 1 < m_changes.size() && m_changes[i + 1].t < at)
            ++i;
        return m_changes[i].set;
    }

    void fillParamZoneV5(DeviceData& data, const std::array<int, 8>& serial, int at) const {
        ParamZone& zone = data.Param_Block;
        zone.fill(0);
        zone[6] = kOptionA;
        zone[7] = kOptionB;
        zone[160] = GeneratorFacts::kFirmwareCode;
        zone[161] = GeneratorFacts::kFirmwareCode;
        for (int i = 0; i < 8; ++i)
            zone[2360 + i] = static_cast<int16_t>(serial[static_cast<std::size_t>(i)]);
        writeSet(zone, setAt(at));
    }

    // Each history row holds the whole parameter set from its moment on: column c is the value
    // of zone cell 2147 + c, columns 7 and 8 the option bytes.
    void fillParamChanges(DeviceData& data, int at, int from) const {
        ParamChangeTable& table = data.Param_Change_Records;
        table.fill(255);
        std::size_t count = 0;
        while (count < m_changes.size() && m_changes[count].t < at)
            ++count;
        const std::size_t capacity = ParamChangeTable::rowCount;
        std::size_t skip = count > capacity ? count - capacity : 0;
        while (skip < count && m_changes[skip].t < from)
            ++skip;
        int r = 1;
        for (std::size_t i = skip; i < count; ++i, ++r) {
            ParamZone zone = data.Param_Block;
            writeSet(zone, m_changes[i].set);
            const Row8 date = dateRow(m_changes[i].t, 0);
            for (int c = 1; c <= 6; ++c)
                table(r, c) = date[static_cast<std::size_t>(c - 1)];
            table(r, 7) = zone[6];
            table(r, 8) = zone[7];
            for (int c = 9; c <= ParamChangeTable::columnCount; ++c)
                table(r, c) = zone[2147 + c];
        }
    }

    // The 514 cells a generation-3 device sends, and the zone rebuilt from them as on reading.
    void fillParamZoneV3(DeviceData& data, const std::array<int, 8>& serial, int at) const {
        ParamZoneV3& v3 = data.Param_Block_V3;
        const ParamSet& set = setAt(at);
        v3.fill(0);
        const int levels[] = {set.dayLeq, set.dayWindow, set.nightLeq, set.nightWindow};
        for (int i = 0; i < 4; ++i) {
            v3[128 + 2 * i] = static_cast<int16_t>(levels[i] / 100);
            v3[129 + 2 * i] = static_cast<int16_t>(levels[i] % 100);
        }
        v3[139] = static_cast<int16_t>(set.dayToNight); // zone cell 2187
        v3[141] = static_cast<int16_t>(set.nightToDay); // zone cell 2189
        for (int i = 0; i < 8; ++i)
            v3[312 + i] = static_cast<int16_t>(serial[static_cast<std::size_t>(i)]);
        v3[512] = kOptionA;
        v3[513] = kOptionB;

        data.Param_Block.fill(255);
        for (int i = 0; i < 512; ++i)
            data.Param_Block[2048 + i] = v3[i];
        data.Param_Block[6] = v3[512];
        data.Param_Block[7] = v3[513];
    }

    GeneratorOptions m_opt;
    Rng m_rng;
    int m_install = 0, m_end = 0;
    std::vector<Session> m_sessions;
    std::vector<Interval> m_windows, m_powerCuts;
    std::vector<ParamChange> m_changes;
    std::vector<Event> m_events;
    std::vector<Row8> m_leqRows;
    std::vector<int> m_leqTimes; // true minute of each level row
    int m_endSecond = 0;
    std::array<int, 8> m_serial{};
};

} // namespace

QString CheckGeneratorOptions(const GeneratorOptions& options) {
    if (options.generation != 3 && options.generation != 5)
        return QStringLiteral("the generation must be 3 or 5");
    if (!options.start.isValid()) return QStringLiteral("the start date is not a valid date");
    if (options.days < 1 || options.days > 366) return QStringLiteral("the number of days must be 1 to 366");
    if (options.start.year() < 2000 || options.start.addDays(options.days + 1).year() > 2098)
        return QStringLiteral("the recording must lie within the years 2000 to 2098");
    return {};
}

DeviceData GenerateDeviceData(const GeneratorOptions& options) {
    Q_ASSERT(CheckGeneratorOptions(options).isEmpty());
    return Builder(options).build();
}

std::vector<DeviceData> GenerateReadings(const GeneratorOptions& options, const std::vector<int>& readingDays,
                                         int clearedDay) {
    Q_ASSERT(CheckGeneratorOptions(options).isEmpty());
    return Builder(options).readings(readingDays, clearedDay);
}

void GenerateIntoStore(DataStore& store, const GeneratorOptions& options) {
    store.commit(GenerateDeviceData(options));
    store.Device_Version = static_cast<int16_t>(options.generation);
    store.Data_Loaded = kTrue;
}
