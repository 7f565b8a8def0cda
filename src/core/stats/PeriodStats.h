#pragma once

#include "core/stats/LevelStats.h"
#include "core/stats/ThresholdTimeline.h"
#include "core/store/DataStore.h"

#include <QDate>
#include <QString>
#include <memory>
#include <optional>
#include <vector>

// Statistics of the stored levels over a period of whole days.
//
// A day of the statistics runs from noon to noon the next day, like the days of the graph window, so
// that its night is one whole night: the "Saturday night" of a venue, from Saturday evening to
// Sunday morning, is counted in Saturday. A period from D1 to D2 thus runs from noon of D1 to noon of
// the day after D2.
//
// Which minutes a record covers: a Leq1 record covers the minute that ends at its stamp, a Leq10 (or
// generation-3 ten-minute) record the ten minutes that end at its stamp. A record belongs to the
// day and the day or night part of the last minute it covers, the one starting a minute before its
// stamp: a Leq1 stamped 12:00 belongs to the day before, as in the tables. The period holds the
// records whose last covered minute lies in one of its days.
//
// Day and night: a minute is a night minute when its hour is a night hour for the switch hours in
// force at that minute (see ThresholdTimeline). The day part of a day is its afternoon and evening
// before the night and its morning after it.
//
// Minutes above the threshold: the minutes covered by a record whose level is strictly above the
// threshold in force at its last covered minute: one per Leq1 record in generation 5, ten per
// ten-minute record in generation 3 (which has no Leq1 values). The device stores a Leq1 value only
// when it reaches the set level, so a minute that was not stored was not above it either.
//
// Cuts: the 10-second cuts and the general cuts of the event log, counted in the part of their stamp.

// Fixed thresholds typed by the user: day, night, day->night hour, night->day hour.
struct TypedThresholds {
    int day = 0;
    int night = 0;
    int dayNightHour = 0;
    int nightDayHour = 0;
};

struct PartStats {
    LevelSummary tenMinute; // Leq10 (generation 5) or Leq (generation 3)
    LevelSummary oneMinute; // Leq1 (generation 5 only)
    int minutesAbove = 0;
    int tenSecondCuts = 0;
    int generalCuts = 0;
};

struct DayStats {
    QDate day;
    PartStats dayPart;
    PartStats nightPart;
};

enum class ThresholdSource { Recorded, Typed, ParameterZone };

struct PeriodStats {
    QDate from, to;
    int generation = 5;
    ThresholdSource thresholds = ThresholdSource::Recorded;
    LevelSummary tenMinute;
    LevelSummary oneMinute;
    std::optional<Percentiles> oneMinutePercentiles;
    std::vector<DayStats> days; // the days of the period that hold records or cuts, in order
    int ignoredRecords = 0;     // rows of the period with a level no device can give (outside 0..250 dB)
};

// Days of the statistics start at this hour.
inline constexpr int kStatsDayStartHour = 12;

// The day of the statistics a minute belongs to: the date of the noon at or before it.
QDate StatsDayOf(const QDateTime& minute);

// Any cell values are safe: rows with an impossible date or level are left out. from after to gives an
// empty period (no days).
PeriodStats ComputePeriodStats(const DataStore& store, const QDate& from, const QDate& to,
                               const std::optional<TypedThresholds>& typed = std::nullopt);

// The same statistics gathered from several stores, each holding some whole days of the period (an
// archive read a week at a time). Each record must be in one store only; each store's own parameter
// history and window events decide the thresholds of its records. Adding the stores in time order
// gives exactly the figures of one store holding them all.
class PeriodStatsBuilder {
public:
    PeriodStatsBuilder(const QDate& from, const QDate& to,
                       const std::optional<TypedThresholds>& typed = std::nullopt);
    ~PeriodStatsBuilder();
    // Only the rows stamped on the calendar days first..last count, when given: an archive's image
    // of some days also holds, before them, rows that another image has already given.
    void add(const DataStore& store, const QDate& first = {}, const QDate& last = {});
    PeriodStats finish() const;

private:
    struct Samples;
    PeriodStats m_stats;
    std::optional<TypedThresholds> m_typed;
    std::unique_ptr<Samples> m_samples;
};

// The level of a row of Leq_Records: generation 5 keeps the hundreds in column 8, generation 3 in column 7.
int RecordLevel(const LeqTable& table, int row, int generation);

// Whether an event row is a 10-second cut or a general cut for the generation.
bool IsTenSecondCut(int generation, int column7, int column8);
bool IsGeneralCut(int generation, int column7, int column8);
