#include "core/compliance/ComplianceTimeline.h"

#include <algorithm>
#include <array>
#include <map>

namespace {
constexpr int kHour = 60;
constexpr int kBlockMinutes = 10;
constexpr int kCalibrationMinutes = 10;
constexpr int kLastSpringMonth = 6;
// The device keeps the legal time of France: UTC+2 in summer, UTC+1 in winter.
constexpr int kSummerOffset = 120;
constexpr int kWinterOffset = 60;

bool makesUnknown(EventKind kind) {
    return kind == EventKind::PowerCut || kind == EventKind::SystemStart || kind == EventKind::SensorFault ||
           kind == EventKind::SensorFaultEnd || kind == EventKind::Calibration;
}

UnknownCause causeOf(EventKind kind) {
    switch (kind) {
    case EventKind::SensorFault:
    case EventKind::SensorFaultEnd:
        return UnknownCause::SensorFault;
    case EventKind::Calibration:
        return UnknownCause::Calibration;
    default:
        return UnknownCause::PowerCut;
    }
}

qint64 floorMod(qint64 a, qint64 b) {
    return ((a % b) + b) % b;
}
} // namespace

qint64 LocalMinuteOf(const QDateTime& local) {
    const qint64 seconds = local.toSecsSinceEpoch();
    return (seconds - floorMod(seconds, 60)) / 60;
}

QDateTime LocalOfMinute(qint64 localMinute) {
    return QDateTime::fromSecsSinceEpoch(localMinute * 60, Qt::UTC);
}

ComplianceTimeline::ComplianceTimeline(const ComplianceInput& input) {
    buildClock(input);
    m_baseWeighting = input.weighting;
    for (const WeightingChange& change : input.weightingChanges) {
        const Weighting before = m_weightings.empty() ? m_baseWeighting : m_weightings.back().second;
        if (change.weighting != before) m_weightings.push_back({elapsedOf(change.from), change.weighting});
    }
    buildLevels(input);
    buildStretches(input);
    buildSegments();
}

// Spring: the hour before the change does not exist, elapsed minutes go on from the change. Autumn: the
// hour before the change is lived twice; the second pass follows the first in elapsed minutes.
void ComplianceTimeline::buildClock(const ComplianceInput& input) {
    qint64 adjust = 0;
    for (const ComplianceEvent& event : input.events) {
        if (event.kind != EventKind::ClockChange) continue;
        ClockShift shift;
        shift.localAt = LocalMinuteOf(event.stamp);
        shift.spring = event.stamp.date().month() <= kLastSpringMonth;
        // In autumn the clock goes back from 03:00 to 02:00. A change stamped in the half hour from
        // 02:00 was written with the clock already set back: the hour lived twice follows its stamp.
        const QTime at = event.stamp.time();
        if (!shift.spring && at >= QTime(2, 0) && at < QTime(2, 30)) {
            shift.localAt += kHour;
            shift.stampedAfter = true;
        }
        shift.elapsedFrom = shift.spring ? shift.localAt - kHour + adjust : shift.localAt + adjust;
        shift.adjustAfter = shift.spring ? adjust - kHour : adjust + kHour;
        // Two changes within the hour would fold time back on itself: the later one is not taken.
        if (!m_shifts.empty() && shift.elapsedFrom <= m_shifts.back().elapsedFrom + kHour) continue;
        m_shifts.push_back(shift);
        adjust = shift.adjustAfter;
    }
}

qint64 ComplianceTimeline::elapsedOf(const QDateTime& local) const {
    const qint64 minute = LocalMinuteOf(local);
    qint64 adjust = 0;
    for (const ClockShift& shift : m_shifts) {
        if (minute >= shift.localAt) {
            adjust = shift.adjustAfter;
            continue;
        }
        if (shift.spring && minute >= shift.localAt - kHour) return shift.elapsedFrom; // a skipped minute
        break;
    }
    return minute + adjust;
}

QDateTime ComplianceTimeline::localOf(qint64 elapsed) const {
    qint64 adjust = 0;
    for (const ClockShift& shift : m_shifts) {
        if (elapsed < shift.elapsedFrom) break;
        adjust = shift.adjustAfter;
    }
    return LocalOfMinute(elapsed - adjust);
}

bool ComplianceTimeline::inRepeatedHour(qint64 localMinute) const {
    return std::any_of(m_shifts.begin(), m_shifts.end(), [&](const ClockShift& s) {
        return !s.spring && localMinute >= s.localAt - kHour && localMinute < s.localAt;
    });
}

std::optional<ElapsedSpan> ComplianceTimeline::repeatedHourOf(qint64 localMinute) const {
    for (const ClockShift& s : m_shifts)
        if (!s.spring && localMinute >= s.localAt - kHour && localMinute < s.localAt)
            return ElapsedSpan{s.elapsedFrom - kHour, s.elapsedFrom + kHour};
    return std::nullopt;
}

std::optional<int> ComplianceTimeline::repeatedHourOffset(qint64 elapsed) const {
    for (const ClockShift& s : m_shifts) {
        if (s.spring || elapsed < s.elapsedFrom - kHour || elapsed >= s.elapsedFrom + kHour) continue;
        return elapsed < s.elapsedFrom ? kSummerOffset : kWinterOffset;
    }
    return std::nullopt;
}

bool ComplianceTimeline::blockless(qint64 from, qint64 to) const {
    auto it = std::upper_bound(m_blockless.begin(), m_blockless.end(), from,
                               [](qint64 m, const ElapsedSpan& s) { return m < s.to; });
    return it != m_blockless.end() && it->from < to;
}

Weighting ComplianceTimeline::weightingAt(qint64 elapsed) const {
    auto it = std::upper_bound(m_weightings.begin(), m_weightings.end(), elapsed,
                               [](qint64 m, const std::pair<qint64, Weighting>& w) { return m < w.first; });
    return it == m_weightings.begin() ? m_baseWeighting : std::prev(it)->second;
}

const ComplianceTimeline::ClockShift* ComplianceTimeline::autumnShiftOf(qint64 localMinute) const {
    for (const ClockShift& s : m_shifts)
        if (!s.spring && localMinute >= s.localAt - kHour && localMinute < s.localAt) return &s;
    return nullptr;
}

const ComplianceTimeline::ClockShift* ComplianceTimeline::setBackAt(qint64 stampMinute) const {
    for (const ClockShift& s : m_shifts)
        if (!s.spring && s.stampedAfter && stampMinute == s.localAt - kHour) return &s;
    return nullptr;
}

void ComplianceTimeline::buildLevels(const ComplianceInput& input) {
    // In a repeated hour, of two records of a stamp the first (in memory order) is the first pass, the
    // second one the second pass. A stamp with one record may belong to either pass. A device that
    // stamps the change once set back also stamps the first pass's last minute with the clock set back
    // (02:00, like the minute before the repeated hour); the second pass's last minute alone reads 03:00.
    std::map<std::pair<qint64, bool>, int> count, seen;
    for (const LevelRecord& record : input.records) {
        const qint64 stamp = LocalMinuteOf(record.stamp);
        if (autumnShiftOf(stamp - 1) || setBackAt(stamp)) ++count[{stamp, record.tenMinute}];
    }
    for (const LevelRecord& record : input.records) {
        const qint64 stamp = LocalMinuteOf(record.stamp);
        const std::pair<qint64, bool> key{stamp, record.tenMinute};
        qint64 end = elapsedOf(LocalOfMinute(stamp - 1)) + 1;
        std::optional<qint64> other; // the other end the record may close
        if (const ClockShift* shift = setBackAt(stamp)) {
            ++m_repeatedHourRecords;
            if (count[key] == 1)
                other = shift->elapsedFrom;
            else if (seen[key]++ > 0)
                end = shift->elapsedFrom;
        } else if (const ClockShift* shift = autumnShiftOf(stamp - 1)) {
            ++m_repeatedHourRecords;
            if (shift->stampedAfter && stamp == shift->localAt)
                end = shift->elapsedFrom + kHour;
            else if (count[key] == 1)
                other = end + kHour;
            else if (seen[key]++ > 0)
                end += kHour;
        }
        if (other) {
            ++m_eitherPassRecords;
            const qint64 first = std::min(end, *other), last = std::max(end, *other);
            m_stamps.push_back(first);
            if (record.tenMinute) {
                // Neither block can be read: the record may close either one, and the other block is
                // then not proven under 70 dB.
                m_blockless.push_back({first - kBlockMinutes, last});
                m_dataStart = std::min(m_dataStart, first - kBlockMinutes);
            } else {
                m_leq1.push_back({first - 1, record.level, true});
                m_leq1.push_back({last - 1, record.level, true});
                m_dataStart = std::min(m_dataStart, first - 1);
            }
            continue;
        }
        if (record.tenMinute) {
            m_allLeq10.push_back({end - kBlockMinutes, record.level});
            m_dataStart = std::min(m_dataStart, end - kBlockMinutes);
        } else {
            m_leq1.push_back({end - 1, record.level});
            m_dataStart = std::min(m_dataStart, end - 1);
        }
        m_stamps.push_back(end);
    }
    std::stable_sort(m_leq1.begin(), m_leq1.end(),
                     [](const MinuteLevel& a, const MinuteLevel& b) { return a.minute < b.minute; });
    std::stable_sort(
        m_allLeq10.begin(), m_allLeq10.end(),
        [](const TenMinuteRecord& a, const TenMinuteRecord& b) { return a.blockStart < b.blockStart; });
    std::sort(m_blockless.begin(), m_blockless.end(),
              [](const ElapsedSpan& a, const ElapsedSpan& b) { return a.from < b.from; });
    std::vector<ElapsedSpan> merged;
    for (const ElapsedSpan& span : m_blockless) {
        if (!merged.empty() && span.from <= merged.back().to)
            merged.back().to = std::max(merged.back().to, span.to);
        else
            merged.push_back(span);
    }
    m_blockless = std::move(merged);
}

void ComplianceTimeline::buildStretches(const ComplianceInput& input) {
    std::vector<UnknownStretch> raw;
    for (const ComplianceEvent& event : input.events)
        m_stamps.push_back(elapsedOf(event.stamp));
    std::sort(m_stamps.begin(), m_stamps.end());

    if (!input.events.empty()) m_eventLogStart = input.events.front().stamp;
    if (!input.records.empty())
        m_eventLogStartsLater =
            input.events.empty() || input.events.front().stamp > input.records.front().stamp;

    // Data ends at the transfer, or at the latest record of any kind.
    if (input.transferTime)
        m_dataEnd = elapsedOf(*input.transferTime);
    else if (!m_stamps.empty())
        m_dataEnd = m_stamps.back();
    raw.push_back({kFirstMinute, m_dataStart, UnknownCause::BeforeData});
    raw.push_back({m_dataEnd, kLastMinute, UnknownCause::AfterData});

    if (!input.coverage.empty()) {
        std::vector<std::pair<qint64, qint64>> covered;
        for (const CoverageInterval& c : input.coverage)
            covered.push_back({elapsedOf(c.from), elapsedOf(c.to)});
        std::sort(covered.begin(), covered.end());
        qint64 reached = kFirstMinute;
        for (const auto& [from, to] : covered) {
            if (from > reached) raw.push_back({reached, from, UnknownCause::OutsideArchive});
            reached = std::max(reached, to);
        }
        raw.push_back({reached, kLastMinute, UnknownCause::OutsideArchive});
    }

    std::optional<qint64> cut, fault;
    for (const ComplianceEvent& event : input.events) {
        const qint64 at = elapsedOf(event.stamp);
        // An event of a repeated hour may have happened in either pass: what it makes unknown is
        // unknown in both.
        if (makesUnknown(event.kind))
            if (const auto span = repeatedHourOf(LocalMinuteOf(event.stamp)))
                raw.push_back({span->from, span->to, causeOf(event.kind)});
        switch (event.kind) {
        case EventKind::PowerCut:
            if (!cut) cut = at;
            break;
        case EventKind::SystemStart:
            if (cut) {
                raw.push_back({*cut, at + 1, UnknownCause::PowerCut});
                cut.reset();
            } else {
                // Stopped without a logged cut: unknown back to whatever the device wrote before.
                auto before = std::lower_bound(m_stamps.begin(), m_stamps.end(), at);
                const qint64 from = before == m_stamps.begin() ? kFirstMinute : *std::prev(before);
                raw.push_back({from, at + 1, UnknownCause::Restart});
            }
            break;
        case EventKind::SensorFault:
            if (!fault) fault = at;
            break;
        case EventKind::SensorFaultEnd:
            if (fault) raw.push_back({*fault, at + 1, UnknownCause::SensorFault});
            fault.reset();
            break;
        case EventKind::Calibration:
            // The stamp does not say whether the calibrator sounded before or after it.
            raw.push_back({at - kCalibrationMinutes, at + kCalibrationMinutes, UnknownCause::Calibration});
            break;
        default:
            break;
        }
    }
    if (cut) raw.push_back({*cut, kLastMinute, UnknownCause::PowerCut});
    if (fault) raw.push_back({*fault, kLastMinute, UnknownCause::SensorFault});

    // Flatten: where stretches overlap, the cause listed first in UnknownCause wins.
    std::vector<std::pair<qint64, int>> edges; // (minute, +/-(cause + 1))
    for (const UnknownStretch& s : raw) {
        if (s.to <= s.from) continue;
        edges.push_back({s.from, static_cast<int>(s.cause) + 1});
        edges.push_back({s.to, -(static_cast<int>(s.cause) + 1)});
    }
    std::sort(edges.begin(), edges.end());
    std::array<int, kUnknownCauseCount> open{};
    for (std::size_t i = 0; i < edges.size();) {
        const qint64 at = edges[i].first;
        for (; i < edges.size() && edges[i].first == at; ++i)
            open[static_cast<std::size_t>(std::abs(edges[i].second) - 1)] += edges[i].second > 0 ? 1 : -1;
        if (i == edges.size()) break;
        const auto top = std::find_if(open.begin(), open.end(), [](int n) { return n > 0; });
        if (top == open.end()) continue;
        const auto cause = static_cast<UnknownCause>(top - open.begin());
        const qint64 to = edges[i].first;
        if (!m_stretches.empty() && m_stretches.back().to == at && m_stretches.back().cause == cause)
            m_stretches.back().to = to;
        else
            m_stretches.push_back({at, to, cause});
    }
}

void ComplianceTimeline::buildSegments() {
    // Known stretches, split where the weighting changes: a ten-minute level measured across a change
    // mixes two weightings.
    std::vector<ElapsedSpan> known;
    qint64 from = kFirstMinute;
    for (const UnknownStretch& s : m_stretches) {
        if (s.from > from) known.push_back({from, s.from});
        from = s.to;
    }
    if (from < kLastMinute) known.push_back({from, kLastMinute});
    for (const ElapsedSpan& span : known) {
        qint64 start = span.from;
        for (const auto& [at, weighting] : m_weightings)
            if (at > start && at < span.to) {
                m_segments.push_back({start, at, std::nullopt, 0});
                start = at;
            }
        m_segments.push_back({start, span.to, std::nullopt, 0});
    }

    // The ten-minute grid of a segment comes from its first record lying wholly inside it.
    std::size_t k = 0;
    for (const TenMinuteRecord& record : m_allLeq10) {
        while (k < m_segments.size() && m_segments[k].to <= record.blockStart)
            ++k;
        if (k >= m_segments.size() || m_segments[k].from > record.blockStart ||
            record.blockStart + kBlockMinutes > m_segments[k].to) {
            m_straddling.push_back(record);
            continue;
        }
        Segment& segment = m_segments[k];
        if (!segment.phase) {
            segment.phase = record.blockStart;
        } else if (floorMod(record.blockStart - *segment.phase, kBlockMinutes) != 0 ||
                   record.blockStart - segment.lastBlock < kBlockMinutes) {
            m_offGrid.push_back(record);
            continue;
        }
        segment.lastBlock = record.blockStart;
        m_leq10.push_back(record);
    }
}
