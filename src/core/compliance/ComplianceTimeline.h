#pragma once

#include "core/compliance/ComplianceAnalysis.h"

#include <optional>
#include <vector>

// The input laid on elapsed minutes: where the local clock jumps, which minutes are unknown and why,
// the recording segments between them with their ten-minute grid, the one-minute and ten-minute levels.
// Everything here is in proportion to the records and events, never to the length of the period.

constexpr qint64 kFirstMinute = -(qint64(1) << 60);
constexpr qint64 kLastMinute = qint64(1) << 60;

struct MinuteLevel {
    qint64 minute = 0; // the minute the level covers, [minute, minute + 1)
    int level = 0;
    // In an hour repeated by a clock change, a level whose stamp appears once may belong to either pass:
    // it is laid on both, and each of the two minutes may hold it or stay under the set level.
    bool eitherPass = false;
};

struct TenMinuteRecord {
    qint64 blockStart = 0; // the record covers [blockStart, blockStart + 10)
    int level = 0;
};

struct UnknownStretch {
    qint64 from = 0, to = 0; // [from, to)
    UnknownCause cause = UnknownCause::BeforeData;
};

struct ElapsedSpan {
    qint64 from = 0, to = 0; // [from, to)
};

struct Segment {
    qint64 from = 0, to = 0;     // known minutes [from, to), of one weighting
    std::optional<qint64> phase; // a block start of its ten-minute grid; none without a usable record
    qint64 lastBlock = 0;        // start of the latest block taken on that grid
};

class ComplianceTimeline {
public:
    explicit ComplianceTimeline(const ComplianceInput& input);

    // Minute numbers of local times (UTC-coded), through the clock changes of the log.
    qint64 elapsedOf(const QDateTime& local) const;
    QDateTime localOf(qint64 elapsed) const;

    const std::vector<MinuteLevel>& leq1() const { return m_leq1; }
    const std::vector<TenMinuteRecord>& leq10() const { return m_leq10; } // on their grid, by block
    const std::vector<TenMinuteRecord>& offGrid() const { return m_offGrid; }
    const std::vector<TenMinuteRecord>& straddling() const { return m_straddling; }
    const std::vector<UnknownStretch>& unknownStretches() const { return m_stretches; } // disjoint, in order
    const std::vector<Segment>& segments() const { return m_segments; }                 // in order
    // Where no ten-minute block can be trusted: both passes of a repeated hour holding a ten-minute
    // level that could belong to either pass. Disjoint, in order.
    const std::vector<ElapsedSpan>& blocklessSpans() const { return m_blockless; }
    bool blockless(qint64 from, qint64 to) const; // whether [from, to) meets a blockless span

    // The weighting the device measured with at an elapsed minute.
    Weighting weightingAt(qint64 elapsed) const;
    // The UTC offset (minutes) of a local time point that a clock change makes ambiguous (the repeated
    // hour: the summer offset in its first pass, the winter one in its second); none elsewhere.
    std::optional<int> repeatedHourOffset(qint64 elapsed) const;

    int repeatedHourRecords() const { return m_repeatedHourRecords; }
    int eitherPassRecords() const { return m_eitherPassRecords; }
    QDateTime eventLogStart() const { return m_eventLogStart; }
    bool eventLogStartsLater() const { return m_eventLogStartsLater; }

private:
    struct ClockShift {
        qint64 localAt = 0;        // local minute of the change
        bool spring = true;        // the hour before it is skipped; else lived twice
        qint64 elapsedFrom = 0;    // first elapsed minute with the new offset
        qint64 adjustAfter = 0;    // elapsed = local + adjust from there on
        bool stampedAfter = false; // autumn: the device wrote the change with its clock set back
    };
    void buildClock(const ComplianceInput& input);
    void buildLevels(const ComplianceInput& input);
    void buildStretches(const ComplianceInput& input);
    void buildSegments();
    bool inRepeatedHour(qint64 localMinute) const;
    // The autumn change whose repeated hour holds a local minute; the one stamped after setting the clock
    // back whose repeated hour starts at a stamp.
    const ClockShift* autumnShiftOf(qint64 localMinute) const;
    const ClockShift* setBackAt(qint64 stampMinute) const;
    // Both passes of the repeated hour holding a local minute, in elapsed minutes.
    std::optional<ElapsedSpan> repeatedHourOf(qint64 localMinute) const;

    std::vector<ClockShift> m_shifts;
    std::vector<MinuteLevel> m_leq1;
    std::vector<TenMinuteRecord> m_leq10, m_offGrid, m_straddling, m_allLeq10;
    std::vector<qint64> m_stamps; // elapsed stamps of every record and event, sorted
    std::vector<UnknownStretch> m_stretches;
    std::vector<Segment> m_segments;
    std::vector<ElapsedSpan> m_blockless;
    std::vector<std::pair<qint64, Weighting>> m_weightings; // elapsed minute from which each is in force
    Weighting m_baseWeighting = Weighting::A;
    qint64 m_dataStart = kLastMinute, m_dataEnd = kFirstMinute;
    int m_repeatedHourRecords = 0;
    int m_eitherPassRecords = 0;
    QDateTime m_eventLogStart;
    bool m_eventLogStartsLater = false;
};

// The local minute number of a device date-time, and back.
qint64 LocalMinuteOf(const QDateTime& local);
QDateTime LocalOfMinute(qint64 localMinute);
