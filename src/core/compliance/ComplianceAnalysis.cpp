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
    VerdictScope scope = VerdictScope::Full; // of the weighting the minute was measured with
    qint64 blockStart = kNoBlock;
    // A known minute of a segment without a ten-minute grid: the grid is there, its phase unknown.
    bool phaseless = false;
    qint64 segmentFrom = 0, segmentTo = 0;
};

struct BlockState {
    qint64 start = kNoBlock;
    bool constrained = false;
    bool capsDropped = false;
    double sumLow = 0, sumHigh = kInfiniteEnergy;
};

// The bounds of a window's energy, with the set-level caps and without them.
struct WindowEnergy {
    double least = 0, most = 0, leastUncapped = 0, mostUncapped = 0;
    void addBox(const MinuteCell& c) {
        least += c.low;
        most += c.high;
        leastUncapped += c.low;
        mostUncapped += c.capped ? kInfiniteEnergy : c.high;
    }
    WindowEnergy& operator+=(const WindowEnergy& o) {
        least += o.least;
        most += o.most;
        leastUncapped += o.leastUncapped;
        mostUncapped += o.mostUncapped;
        return *this;
    }
};

qint64 floorMod(qint64 a, qint64 b) {
    return ((a % b) + b) % b;
}
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
    std::array<std::pair<qint64, std::optional<int>>, 2> cachedSetLevels{
        {{kNoBlock, std::nullopt}, {kNoBlock, std::nullopt}}};
    qint64 capsCountedUpTo = kNoBlock; // windows up to this start are counted in windowsOnCaps
    std::array<VerdictScope, 3> scopeOfWeighting{};

    Impl(const ComplianceInput& in, const ComplianceSettings& s)
        : input(in), settings(s), scope(ScopeOf(in.weighting, s)), timeline(in) {
        settings.durationMinutes =
            std::clamp(settings.durationMinutes, kMinComplianceDuration, kMaxComplianceDuration);
        notes.repeatedHourRecords = timeline.repeatedHourRecords();
        notes.eitherPassRecords = timeline.eitherPassRecords();
        for (Weighting w : {Weighting::A, Weighting::Linear, Weighting::M})
            scopeOfWeighting[static_cast<std::size_t>(w)] = ScopeOf(w, settings);
        // The period's scope: the farthest any of its weightings may go.
        for (const WeightingChange& change : in.weightingChanges)
            scope = std::min(scope, ScopeOf(change.weighting, settings));
        notes.eventLogStart = timeline.eventLogStart();
        notes.eventLogStartsLater = timeline.eventLogStartsLater();
    }

    std::optional<int> setLevelAt(qint64 minute) {
        auto& slot = cachedSetLevels[static_cast<std::size_t>(floorMod(minute, 2))];
        if (slot.first != minute) slot = {minute, input.setLevelAt(timeline.localOf(minute))};
        return slot.second;
    }

    // The cap of an unstored minute. A change stamped m happens within [m, m + 1): the device may have
    // judged minute m by the old set level or the new one, so the higher one caps it. No cap where the
    // set level in force is not documented.
    std::optional<double> capAt(qint64 m) {
        if (input.generation != 5 || !input.setLevelAt) return std::nullopt;
        const std::optional<int> before = setLevelAt(m - 1), now = setLevelAt(m);
        if (!before || !now) return std::nullopt;
        return EnergyOf(std::max(*before, *now));
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
        c.scope = scopeOfWeighting[static_cast<std::size_t>(timeline.weightingAt(m))];
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
        const MinuteLevel* stored = nullptr;
        while (leq1Cursor < leq1.size() && leq1[leq1Cursor].minute == m)
            stored = &leq1[leq1Cursor++]; // a doubled minute keeps the later record
        const std::optional<double> cap = stored && !stored->eitherPass ? std::nullopt : capAt(m);
        if (stored && !stored->eitherPass) {
            c.low = halfDown(stored->level);
            c.high = halfUp(stored->level);
        } else if (stored) {
            // The level may be this pass's or the other's, this minute then under the set level.
            c.high = cap ? std::max(*cap, halfUp(stored->level)) : kInfiniteEnergy;
            c.capped = cap && *cap > halfUp(stored->level);
        } else if (cap) {
            c.high = *cap;
            c.capped = true;
        }

        const auto& segments = timeline.segments();
        while (segmentCursor < segments.size() && segments[segmentCursor].to <= m)
            ++segmentCursor;
        if (segmentCursor >= segments.size() || segments[segmentCursor].from > m) return;
        const Segment& segment = segments[segmentCursor];
        c.segmentFrom = segment.from;
        c.segmentTo = segment.to;
        if (!segment.phase) {
            c.phaseless = true;
            return;
        }
        const qint64 start = m - floorMod(m - *segment.phase, kBlockMinutes);
        if (start < segment.from || start + kBlockMinutes > segment.to) return; // cut by the segment's ends
        if (timeline.blockless(start, start + kBlockMinutes)) return;
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
        if (!EnergyExceeds(low, b.sumHigh) && !EnergyExceeds(b.sumLow, high)) return;
        if (!EnergyExceeds(low, b.sumHigh) && !EnergyExceeds(b.sumLow, highUncapped)) {
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

    // The share of the window [s, s + d) in the block [start, start + 10) under its sum interval.
    WindowEnergy blockPart(qint64 start, qint64 s, int d, double sumLow, double sumHigh) {
        double inLow = 0, inHigh = 0, inUncapped = 0, outLow = 0, outHigh = 0, outUncapped = 0;
        for (qint64 k = start; k < start + kBlockMinutes; ++k) {
            const MinuteCell& c = cell(k);
            const bool inside = k >= s && k < s + d;
            (inside ? inLow : outLow) += c.low;
            (inside ? inHigh : outHigh) += c.high;
            (inside ? inUncapped : outUncapped) += c.capped ? kInfiniteEnergy : c.high;
        }
        const EnergyRange capped = BlockShareOfSums(inLow, inHigh, outLow, outHigh, sumLow, sumHigh);
        const EnergyRange uncapped =
            BlockShareOfSums(inLow, inUncapped, outLow, outUncapped, sumLow, sumHigh);
        return {capped.least, capped.most, uncapped.least, uncapped.most};
    }

    // The minutes [a, b) of a window [s, s + d) in a segment [from, to) whose grid phase is unknown: every
    // block of the grid wholly inside the segment stayed under 70 dB, whichever of the ten phases the
    // grid has. The worst phase bounds each side.
    WindowEnergy phaselessPart(qint64 from, qint64 to, qint64 a, qint64 b, qint64 s, int d) {
        WindowEnergy worst{kInfiniteEnergy, -kInfiniteEnergy, kInfiniteEnergy, -kInfiniteEnergy};
        for (int phase = 0; phase < kBlockMinutes; ++phase) {
            WindowEnergy part;
            for (qint64 k = a; k < b;) {
                const qint64 start = k - floorMod(k - phase, kBlockMinutes);
                const qint64 end = start + kBlockMinutes;
                bool usable = start >= from && end <= to && !timeline.blockless(start, end);
                if (usable) {
                    double low = 0;
                    for (qint64 j = start; j < end; ++j)
                        low += cell(j).low;
                    // Records too loud for a block without a ten-minute level: it says nothing.
                    usable = !EnergyExceeds(low, kUnstoredBlockEnergy);
                }
                if (!usable) {
                    part.addBox(cell(k++));
                    continue;
                }
                part += blockPart(start, s, d, 0, kUnstoredBlockEnergy);
                k = std::min(end, b);
            }
            worst.least = std::min(worst.least, part.least);
            worst.most = std::max(worst.most, part.most);
            worst.leastUncapped = std::min(worst.leastUncapped, part.leastUncapped);
            worst.mostUncapped = std::max(worst.mostUncapped, part.mostUncapped);
        }
        return worst;
    }

    // How far the verdict of a window may go: that of its minutes' weighting. Where the weighting
    // changes within the window, minutes whose weighting says nothing of the limit are unknown to it.
    VerdictScope windowScope(qint64 s, int d, bool& foreignMinutes) {
        std::array<bool, 3> seen{};
        for (qint64 m = s; m < s + d; ++m)
            seen[static_cast<std::size_t>(cell(m).scope)] = true;
        const bool full = seen[static_cast<std::size_t>(VerdictScope::Full)];
        const bool only = seen[static_cast<std::size_t>(VerdictScope::ComplianceOnly)];
        const bool none = seen[static_cast<std::size_t>(VerdictScope::None)];
        foreignMinutes = none && (full || only);
        if (only) return VerdictScope::ComplianceOnly;
        return full ? VerdictScope::Full : VerdictScope::None;
    }

    WindowResult window(qint64 s) {
        const int d = settings.durationMinutes;
        WindowResult w;
        w.start = s;
        w.localStart = timeline.localOf(s);
        w.localEnd = timeline.localOf(s + d);
        w.startUtcOffset = timeline.repeatedHourOffset(s);
        w.endUtcOffset = timeline.repeatedHourOffset(s + d);
        bool foreign = false;
        const VerdictScope windowScope = this->windowScope(s, d, foreign);
        WindowEnergy energy;
        qint64 m = s;
        while (m < s + d) {
            const MinuteCell& c = cell(m);
            if (c.unknown || (foreign && c.scope == VerdictScope::None)) {
                w.touchesUnknown = true;
                energy.addBox(MinuteCell{});
                ++m;
                continue;
            }
            if (c.phaseless) {
                const qint64 end = std::min(c.segmentTo, s + d);
                energy += phaselessPart(c.segmentFrom, c.segmentTo, m, end, s, d);
                m = end;
                continue;
            }
            const bool inBlock = c.blockStart != kNoBlock && block(c.blockStart).start == c.blockStart &&
                                 block(c.blockStart).constrained;
            if (!inBlock) {
                energy.addBox(c);
                ++m;
                continue;
            }
            const BlockState& b = block(c.blockStart);
            energy += blockPart(b.start, s, d, b.sumLow, b.sumHigh);
            m = std::min(b.start + kBlockMinutes, s + d);
        }
        w.leastEnergy = energy.least;
        w.mostEnergy = energy.most;
        w.lowerDb = LowerTenth(LevelOf(energy.least, d));
        w.upperDb = UpperTenth(LevelOf(energy.most, d));
        w.verdict = verdictOf(windowScope, energy.least, energy.most, w.touchesUnknown);
        if (s > capsCountedUpTo) {
            capsCountedUpTo = s;
            if (w.verdict != Verdict::None && verdictOf(windowScope, energy.leastUncapped,
                                                        energy.mostUncapped, w.touchesUnknown) != w.verdict)
                ++notes.windowsOnCaps;
        }
        return w;
    }

    // Energies equal to the limit within the tolerance are no exceedance.
    Verdict verdictOf(VerdictScope windowScope, double least, double most, bool touchesUnknown) const {
        if (windowScope == VerdictScope::None) return Verdict::None;
        const double limit = settings.durationMinutes * EnergyOf(*settings.limitDb);
        if (EnergyExceeds(least, limit))
            return windowScope == VerdictScope::Full ? Verdict::Certain : Verdict::Possible;
        if (touchesUnknown) return Verdict::Incomplete;
        return EnergyExceeds(most, limit) ? Verdict::Possible : Verdict::Compliant;
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
