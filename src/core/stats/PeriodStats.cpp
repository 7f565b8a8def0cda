#include "core/stats/PeriodStats.h"

#include "core/store/Validity.h"

#include <map>

namespace {
constexpr int kMaxPlausibleLevel = 250;
constexpr int kLeq1Type = 1;
constexpr int kLeq10Type = 10;

struct PartSamples {
    std::vector<LevelSample> tenMinute, oneMinute;
    int minutesAbove = 0;
    int tenSecondCuts = 0;
    int generalCuts = 0;

    PartStats summarise() const {
        return {Summarise(tenMinute), Summarise(oneMinute), minutesAbove, tenSecondCuts, generalCuts};
    }
};

struct DaySamples {
    PartSamples day, night;
    PartSamples& part(bool isNight) { return isNight ? night : day; }
};

ThresholdTimeline timelineFor(const DataStore& store, const std::optional<TypedThresholds>& typed,
                              ThresholdSource& source) {
    if (typed) {
        source = ThresholdSource::Typed;
        return ThresholdTimeline::fixed(typed->day, typed->night, typed->dayNightHour, typed->nightDayHour);
    }
    if (store.Device_Version == 3) {
        source = ThresholdSource::ParameterZone;
        return ThresholdTimeline::generation3Zone(store.Param_Block);
    }
    source = ThresholdSource::Recorded;
    return ThresholdTimeline::recorded(store);
}
} // namespace

QDate StatsDayOf(const QDateTime& minute) {
    return minute.addSecs(-qint64{kStatsDayStartHour} * 3600).date();
}

int RecordLevel(const LeqTable& table, int row, int generation) {
    return generation == 3 ? table(row, 7) * 100 + table(row, 8) : table(row, 8) * 100 + table(row, 7);
}

bool IsTenSecondCut(int generation, int column7, int column8) {
    if (generation == 3) return column7 == 8 && column8 == 0;
    return column7 == 0 && column8 >= 128;
}

bool IsGeneralCut(int, int column7, int column8) {
    return column7 == 16 && column8 == 0;
}

struct PeriodStatsBuilder::Samples {
    std::map<QDate, DaySamples> days;
    std::vector<LevelSample> allTen, allOne;
};

PeriodStatsBuilder::PeriodStatsBuilder(const QDate& from, const QDate& to,
                                       const std::optional<TypedThresholds>& typed)
    : m_typed(typed), m_samples(std::make_unique<Samples>()) {
    m_stats.from = from;
    m_stats.to = to;
    if (typed) m_stats.thresholds = ThresholdSource::Typed;
}

PeriodStatsBuilder::~PeriodStatsBuilder() = default;

void PeriodStatsBuilder::add(const DataStore& store, const QDate& first, const QDate& last) {
    const auto stampedInside = [&](const QDateTime& stamp) {
        return (!first.isValid() || stamp.date() >= first) && (!last.isValid() || stamp.date() <= last);
    };
    PeriodStats& stats = m_stats;
    const QDate from = stats.from, to = stats.to;
    stats.generation = store.Device_Version == 3 ? 3 : 5;
    const ThresholdTimeline timeline = timelineFor(store, m_typed, stats.thresholds);
    if (!from.isValid() || !to.isValid() || from > to) return;

    auto& days = m_samples->days;
    auto& allTen = m_samples->allTen;
    auto& allOne = m_samples->allOne;
    const bool generation3 = stats.generation == 3;
    const int rows = generation3 ? 4096 : LeqTable::rowCount;
    const LeqTable& leq = store.Leq_Records;

    for (int r = 1; r <= rows; ++r) {
        if (!isValidLevelOrEventRow(leq, r)) continue;
        const int type = leq(r, 4);
        const bool oneMinute = !generation3 && type == kLeq1Type;
        if (!generation3 && !oneMinute && type != kLeq10Type) continue;
        const QDateTime stamp = RowStamp(leq, r);
        if (!stamp.isValid() || !stampedInside(stamp)) continue;
        const QDateTime lastMinute = stamp.addSecs(-60);
        const QDate day = StatsDayOf(lastMinute);
        if (day < from || day > to) continue;
        const int level = RecordLevel(leq, r, stats.generation);
        if (level < 0 || level > kMaxPlausibleLevel) {
            ++stats.ignoredRecords;
            continue;
        }
        const ThresholdInForce inForce = timeline.at(lastMinute);
        PartSamples& part = days[day].part(inForce.night);
        const LevelSample sample{stamp, level};
        (oneMinute ? part.oneMinute : part.tenMinute).push_back(sample);
        (oneMinute ? allOne : allTen).push_back(sample);
        // Generation 5 counts the minutes by its Leq1 values; its Leq10 values cover the same minutes.
        if (level > inForce.threshold && (oneMinute || generation3)) part.minutesAbove += oneMinute ? 1 : 10;
    }

    const EventTable& events = store.Event_Records;
    for (int r = 1; r <= EventTable::rowCount; ++r) {
        if (!hasValidRecordDate(events, r) || !isEventRow(events, r)) continue;
        const int c7 = events(r, 7), c8 = events(r, 8);
        const bool tenSecond = IsTenSecondCut(stats.generation, c7, c8);
        const bool general = IsGeneralCut(stats.generation, c7, c8);
        if (!tenSecond && !general) continue;
        const QDateTime stamp = RowStamp(events, r);
        if (!stamp.isValid() || !stampedInside(stamp)) continue;
        const QDate day = StatsDayOf(stamp);
        if (day < from || day > to) continue;
        PartSamples& part = days[day].part(timeline.at(stamp).night);
        (tenSecond ? part.tenSecondCuts : part.generalCuts) += 1;
    }
}

PeriodStats PeriodStatsBuilder::finish() const {
    PeriodStats stats = m_stats;
    stats.tenMinute = Summarise(m_samples->allTen);
    stats.oneMinute = Summarise(m_samples->allOne);
    std::vector<int> oneMinuteLevels;
    oneMinuteLevels.reserve(m_samples->allOne.size());
    for (const LevelSample& sample : m_samples->allOne)
        oneMinuteLevels.push_back(sample.level);
    stats.oneMinutePercentiles = PercentilesOf(std::move(oneMinuteLevels));

    // Only the days that hold records are listed: a period of years would otherwise print a page
    // of empty days for every week the device was not recording.
    for (const auto& [day, samples] : m_samples->days)
        stats.days.push_back({day, samples.day.summarise(), samples.night.summarise()});
    return stats;
}

PeriodStats ComputePeriodStats(const DataStore& store, const QDate& from, const QDate& to,
                               const std::optional<TypedThresholds>& typed) {
    PeriodStatsBuilder builder(from, to, typed);
    builder.add(store);
    return builder.finish();
}
