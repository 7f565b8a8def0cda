#include "core/compliance/ComplianceAnalysis.h"

#include "core/compliance/ComplianceBounds.h"
#include "core/compliance/ComplianceTimeline.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {
constexpr int kBlockMinutes = 10;
// Below 70 dB the device keeps no ten-minute level: a block of known time without one held at most
// ten minutes of 70 dB.
constexpr double kUnstoredBlockEnergy = 10.0 * 1e7;
constexpr qint64 kNoBlock = std::numeric_limits<qint64>::min();
constexpr int kRing = 128; // > 60 minutes of window + two partial blocks

double halfUp(int level) {
    return EnergyOf(level + 0.5);
}
double halfDown(int level) {
    return EnergyOf(level - 0.5);
}

struct MinuteCell {
    qint64 minute = kNoBlock;
    double low = 0;
    double high = kInfiniteEnergy;
    bool capped = false; // high is the set-level cap, an assumption
    bool unknown = false;
    std::optional<UnknownCause> cause;
    qint64 blockStart = kNoBlock;
};

struct BlockState {
    qint64 start = kNoBlock;
    bool constrained = false;
    bool capsDropped = false;
    double sumLow = 0, sumHigh = kInfiniteEnergy;
};
} // namespace

QString VerdictCode(Verdict verdict) {
    switch (verdict) {
    case Verdict::Certain:
        return QStringLiteral("certain");
    case Verdict::Possible:
        return QStringLiteral("possible");
    case Verdict::Compliant:
        return QStringLiteral("conforme");
    case Verdict::Incomplete:
        return QStringLiteral("incomplet");
    case Verdict::None:
        break;
    }
    return {};
}

QString VerdictText(Verdict verdict) {
    switch (verdict) {
    case Verdict::Certain:
        return QStringLiteral("dépassement certain");
    case Verdict::Possible:
        return QStringLiteral("dépassement possible");
    case Verdict::Compliant:
        return QStringLiteral("conforme");
    case Verdict::Incomplete:
        return QStringLiteral("incomplet");
    case Verdict::None:
        break;
    }
    return {};
}

QString UnknownCauseText(UnknownCause cause) {
    switch (cause) {
    case UnknownCause::BeforeData:
        return QStringLiteral("avant le premier enregistrement");
    case UnknownCause::AfterData:
        return QStringLiteral("après le transfert");
    case UnknownCause::OutsideArchive:
        return QStringLiteral("hors des téléchargements archivés");
    case UnknownCause::PowerCut:
        return QStringLiteral("coupure d'alimentation");
    case UnknownCause::Restart:
        return QStringLiteral("arrêt non journalisé avant une initialisation");
    case UnknownCause::SensorFault:
        return QStringLiteral("défaut de liaison capteur");
    case UnknownCause::Calibration:
        return QStringLiteral("calibrage");
    }
    return {};
}

struct ComplianceAnalysis::Impl {
    const ComplianceInput& input;
    ComplianceSettings settings;
    VerdictScope scope;
    ComplianceTimeline timeline;
    ComplianceNotes notes;

    // The sliding state of one run.
    std::array<MinuteCell, kRing> ring{};
    std::array<BlockState, kRing / kBlockMinutes + 4> blocks{};
    qint64 nextMinute = 0;
    qint64 runStart = 0;
    std::size_t leq1Cursor = 0, leq10Cursor = 0, stretchCursor = 0, segmentCursor = 0;
    // Blocks and records the windows read are counted in the notes once, however many runs read them.
    qint64 countFrom = 0, countTo = 0;
    qint64 countedUpTo = kNoBlock; // block starts up to this one are counted
    qint64 cachedSetLevelMinute = kNoBlock;
    int cachedSetLevel = 0;

    Impl(const ComplianceInput& in, const ComplianceSettings& s)
        : input(in), settings(s), scope(ScopeOf(in.weighting, s)), timeline(in) {
        settings.durationMinutes =
            std::clamp(settings.durationMinutes, kMinComplianceDuration, kMaxComplianceDuration);
        notes.repeatedHourRecords = timeline.repeatedHourRecords();
        notes.eventLogStart = timeline.eventLogStart();
        notes.eventLogStartsLater = timeline.eventLogStartsLater();
    }

    int setLevelAt(qint64 minute) {
        if (minute != cachedSetLevelMinute) {
            cachedSetLevelMinute = minute;
            cachedSetLevel = input.setLevelAt(timeline.localOf(minute));
        }
        return cachedSetLevel;
    }

    MinuteCell& cell(qint64 minute) {
        return ring[static_cast<std::size_t>(((minute % kRing) + kRing) % kRing)];
    }
    BlockState& block(qint64 start) {
        const auto n = static_cast<qint64>(blocks.size());
        return blocks[static_cast<std::size_t>((((start / kBlockMinutes) % n) + n) % n)];
    }

    void reset(qint64 from) {
        nextMinute = from;
        runStart = from;
        const auto& leq1 = timeline.leq1();
        leq1Cursor =
            static_cast<std::size_t>(std::lower_bound(leq1.begin(), leq1.end(), from,
                                                      [](const auto& r, qint64 m) { return r.minute < m; }) -
                                     leq1.begin());
        const auto& stretches = timeline.unknownStretches();
        stretchCursor = static_cast<std::size_t>(
            std::lower_bound(stretches.begin(), stretches.end(), from,
                             [](const UnknownStretch& s, qint64 m) { return s.to <= m; }) -
            stretches.begin());
        const auto& segments = timeline.segments();
        segmentCursor =
            static_cast<std::size_t>(std::lower_bound(segments.begin(), segments.end(), from,
                                                      [](const Segment& s, qint64 m) { return s.to <= m; }) -
                                     segments.begin());
        const auto& leq10 = timeline.leq10();
        leq10Cursor = static_cast<std::size_t>(
            std::lower_bound(leq10.begin(), leq10.end(), from,
                             [](const TenMinuteRecord& r, qint64 m) { return r.blockStart < m; }) -
            leq10.begin());
    }

    // Builds the box of the next minute; resolves its block when the minute closes it.
    void materialise() {
        const qint64 m = nextMinute++;
        MinuteCell& c = cell(m);
        c = MinuteCell{};
        c.minute = m;
        const auto& stretches = timeline.unknownStretches();
        while (stretchCursor < stretches.size() && stretches[stretchCursor].to <= m)
            ++stretchCursor;
        if (stretchCursor < stretches.size() && stretches[stretchCursor].from <= m) {
            c.unknown = true;
            c.cause = stretches[stretchCursor].cause;
            return;
        }
        const auto& leq1 = timeline.leq1();
        while (leq1Cursor < leq1.size() && leq1[leq1Cursor].minute < m)
            ++leq1Cursor;
        std::optional<int> stored;
        while (leq1Cursor < leq1.size() && leq1[leq1Cursor].minute == m)
            stored = leq1[leq1Cursor++].level; // a doubled minute keeps the later record
        if (stored) {
            c.low = halfDown(*stored);
            c.high = halfUp(*stored);
        } else if (input.generation == 5 && input.setLevelAt) {
            // The set level may change within the minute (a window opened, new parameters): the device
            // may have judged the minute by either, so the higher one bounds it.
            c.high = EnergyOf(std::max(setLevelAt(m), setLevelAt(m + 1)));
            c.capped = true;
        }

        const auto& segments = timeline.segments();
        while (segmentCursor < segments.size() && segments[segmentCursor].to <= m)
            ++segmentCursor;
        if (segmentCursor >= segments.size() || segments[segmentCursor].from > m) return;
        const Segment& segment = segments[segmentCursor];
        if (!segment.phase) return;
        const qint64 start = m - (((m - *segment.phase) % kBlockMinutes) + kBlockMinutes) % kBlockMinutes;
        if (start < segment.from || start + kBlockMinutes > segment.to) return; // cut by the segment's ends
        c.blockStart = start;
        if (m == start + kBlockMinutes - 1) resolveBlock(start, segment);
    }

    void resolveBlock(qint64 start, const Segment&) {
        BlockState& b = block(start);
        b = BlockState{};
        b.start = start;
        if (start < runStart) return; // begun before this run: no window reads it
        const auto& leq10 = timeline.leq10();
        while (leq10Cursor < leq10.size() && leq10[leq10Cursor].blockStart < start)
            ++leq10Cursor;
        std::optional<int> level;
        if (leq10Cursor < leq10.size() && leq10[leq10Cursor].blockStart == start)
            level = leq10[leq10Cursor].level;
        const bool counted = start + kBlockMinutes > countFrom && start < countTo && start > countedUpTo;
        if (level) {
            b.sumLow = kBlockMinutes * halfDown(*level);
            b.sumHigh = kBlockMinutes * halfUp(*level);
        } else {
            b.sumLow = 0;
            b.sumHigh = kUnstoredBlockEnergy;
        }
        double low = 0, high = 0, highUncapped = 0;
        for (qint64 m = start; m < start + kBlockMinutes; ++m) {
            const MinuteCell& c = cell(m);
            low += c.low;
            high += c.high;
            highUncapped += c.capped ? kInfiniteEnergy : c.high;
        }
        b.constrained = true;
        if (low <= b.sumHigh && high >= b.sumLow) return;
        if (low <= b.sumHigh && highUncapped >= b.sumLow) {
            // The caps assumed a level the ten-minute record denies: they give way.
            b.capsDropped = true;
            for (qint64 m = start; m < start + kBlockMinutes; ++m)
                if (cell(m).capped) cell(m).high = kInfiniteEnergy;
            if (counted) ++notes.capsDropped;
            return;
        }
        // The records contradict each other beyond rounding: the block's sum says nothing.
        b.constrained = false;
        if (counted) ++notes.intervalsDropped;
    }

    WindowResult window(qint64 s) {
        const int d = settings.durationMinutes;
        WindowResult w;
        w.start = s;
        w.localStart = timeline.localOf(s);
        w.localEnd = timeline.localOf(s + d);
        double least = 0, most = 0;
        qint64 m = s;
        while (m < s + d) {
            const MinuteCell& c = cell(m);
            if (c.unknown) w.touchesUnknown = true;
            const bool inBlock = c.blockStart != kNoBlock && block(c.blockStart).start == c.blockStart &&
                                 block(c.blockStart).constrained;
            if (!inBlock) {
                least += c.low;
                most += c.high;
                ++m;
                continue;
            }
            const BlockState& b = block(c.blockStart);
            double inLow = 0, inHigh = 0, outLow = 0, outHigh = 0;
            for (qint64 k = b.start; k < b.start + kBlockMinutes; ++k) {
                const MinuteCell& bc = cell(k);
                const bool inside = k >= s && k < s + d;
                (inside ? inLow : outLow) += bc.low;
                (inside ? inHigh : outHigh) += bc.high;
            }
            const double partLeast = std::max({inLow, b.sumLow - outHigh, 0.0});
            const double partMost = std::max(std::min(inHigh, b.sumHigh - outLow), partLeast);
            least += partLeast;
            most += partMost;
            m = std::min(b.start + kBlockMinutes, s + d);
        }
        w.leastEnergy = least;
        w.mostEnergy = most;
        w.lowerDb = LowerTenth(LevelOf(least, d));
        w.upperDb = UpperTenth(LevelOf(most, d));
        w.verdict = verdictOf(least, most, w.touchesUnknown);
        return w;
    }

    Verdict verdictOf(double least, double most, bool touchesUnknown) const {
        if (scope == VerdictScope::None) return Verdict::None;
        const double limit = settings.durationMinutes * EnergyOf(*settings.limitDb);
        if (least > limit) return scope == VerdictScope::Full ? Verdict::Certain : Verdict::Possible;
        if (touchesUnknown) return Verdict::Incomplete;
        return most > limit ? Verdict::Possible : Verdict::Compliant;
    }
};

ComplianceAnalysis::ComplianceAnalysis(const ComplianceInput& input, const ComplianceSettings& settings)
    : m(std::make_unique<Impl>(input, settings)) {}

ComplianceAnalysis::~ComplianceAnalysis() = default;

qint64 ComplianceAnalysis::elapsedOf(const QDateTime& local) const {
    return m->timeline.elapsedOf(local);
}

QDateTime ComplianceAnalysis::localOf(qint64 elapsed) const {
    return m->timeline.localOf(elapsed);
}

void ComplianceAnalysis::run(qint64 first, qint64 last,
                             const std::function<void(const WindowResult&)>& onWindow,
                             const std::function<void(const MinuteState&)>& onMinute) {
    if (last <= first) return;
    const int d = m->settings.durationMinutes;
    // Blocks reaching into the first window start up to nine minutes before it.
    const qint64 lead = first - kBlockMinutes;
    m->reset(lead);
    m->countFrom = first;
    m->countTo = last - 1 + d;
    const auto countRecords = [&](const std::vector<TenMinuteRecord>& records, int& count) {
        for (const TenMinuteRecord& r : records)
            if (r.blockStart + kBlockMinutes > first && r.blockStart < m->countTo &&
                r.blockStart > m->countedUpTo)
                ++count;
    };
    countRecords(m->timeline.offGrid(), m->notes.offGridTenMinute);
    countRecords(m->timeline.straddling(), m->notes.straddlingTenMinute);
    for (qint64 s = first; s < last; ++s) {
        // The window's minutes, and the rest of the block holding its last minute.
        while (m->nextMinute < s + d + kBlockMinutes)
            m->materialise();
        if (onMinute) {
            const MinuteCell& c = m->cell(s);
            onMinute({s, m->timeline.localOf(s), c.cause});
        }
        if (onWindow) onWindow(m->window(s));
    }
    m->countedUpTo = std::max(m->countedUpTo, m->countTo - 1);
}

const ComplianceNotes& ComplianceAnalysis::notes() const {
    return m->notes;
}

VerdictScope ComplianceAnalysis::scope() const {
    return m->scope;
}

const ComplianceSettings& ComplianceAnalysis::settings() const {
    return m->settings;
}
