#include "core/compliance/ComplianceBounds.h"
#include "core/compliance/ComplianceAnalysis.h"
#include "core/stats/ThresholdTimeline.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

// The bounds against a brute-force linear program: the extremes of a linear objective over the box
// ∩ {sumLow <= Σx <= sumHigh} polytope are reached at its vertices, which have every coordinate but at
// most one at a bound of its box, the free one fixed by a face of the sum.
namespace {

struct Extremes {
    double least = kInfiniteEnergy, most = -kInfiniteEnergy;
};

Extremes bruteForce(std::vector<EnergyBox> boxes, const std::vector<bool>& inside, double sumLow,
                    double sumHigh) {
    // Σx <= sumHigh keeps every coordinate under sumHigh: an infinite side is that bound, plus slack.
    for (EnergyBox& box : boxes)
        if (std::isinf(box.high)) box.high = sumHigh + 1;
    const int n = static_cast<int>(boxes.size());
    const double slack = 1e-9 * std::max(1.0, sumHigh);
    Extremes result;
    const auto take = [&](double objective) {
        result.least = std::min(result.least, objective);
        result.most = std::max(result.most, objective);
    };
    std::vector<double> x(n);
    for (int mask = 0; mask < (1 << n); ++mask) {
        double sum = 0, objective = 0;
        for (int i = 0; i < n; ++i) {
            x[i] = (mask >> i) & 1 ? boxes[i].high : boxes[i].low;
            sum += x[i];
            if (inside[i]) objective += x[i];
        }
        if (sum >= sumLow - slack && sum <= sumHigh + slack) take(objective);
        for (int free = 0; free < n; ++free)
            for (double target : {sumLow, sumHigh}) {
                const double y = target - (sum - x[free]);
                if (y >= boxes[free].low && y <= boxes[free].high)
                    take(objective + (inside[free] ? y - x[free] : 0));
            }
    }
    return result;
}

void expectNear(double expected, double actual, const std::string& what) {
    EXPECT_NEAR(actual, expected, 1e-9 * std::max(1.0, std::abs(expected))) << what;
}

TEST(ComplianceBounds, BlockShareMatchesVertexEnumeration) {
    std::mt19937 rng(20170809);
    std::uniform_real_distribution<double> level(40, 110);
    int checked = 0;
    for (int trial = 0; trial < 4000; ++trial) {
        const int n = 1 + static_cast<int>(rng() % 8);
        std::vector<EnergyBox> boxes(n);
        std::vector<bool> inside(n);
        for (int i = 0; i < n; ++i) {
            const double a = EnergyOf(level(rng)), b = EnergyOf(level(rng));
            switch (rng() % 4) {
            case 0: // no energy known at all
                boxes[i] = {0, kInfiniteEnergy};
                break;
            case 1: // under a cap
                boxes[i] = {0, a};
                break;
            default:
                boxes[i] = {std::min(a, b), std::max(a, b)};
            }
            inside[i] = rng() % 2 == 0;
        }
        double sumLow = EnergyOf(level(rng)) * n, sumHigh = EnergyOf(level(rng)) * n;
        if (sumLow > sumHigh) std::swap(sumLow, sumHigh);
        const Extremes expected = bruteForce(boxes, inside, sumLow, sumHigh);
        const bool feasible = expected.most >= expected.least;
        ASSERT_EQ(BlockFeasible(boxes, sumLow, sumHigh), feasible) << "trial " << trial;
        if (!feasible) continue;
        const EnergyRange range = BlockShare(boxes, inside, sumLow, sumHigh);
        expectNear(expected.least, range.least, "least, trial " + std::to_string(trial));
        expectNear(expected.most, range.most, "most, trial " + std::to_string(trial));
        ++checked;
    }
    EXPECT_GT(checked, 1000);
}

// The analysis of whole windows over random evenings: true minute levels, stored as the device would
// (a Leq1 from the set level, a Leq10 from 70 dB, whole dB), give bounds that hold the truth and equal
// the per-block linear programs summed.
TEST(ComplianceBounds, WindowsMatchBlockProgramsAndHoldTheTruth) {
    std::mt19937 rng(15);
    const QDateTime t0 = DeviceTime(QDate(2021, 6, 4), QTime(21, 0));
    constexpr int kBlocks = 5, kMinutes = kBlocks * 10;
    for (int trial = 0; trial < 100; ++trial) {
        const int setLevel = 75 + static_cast<int>(rng() % 20);
        std::uniform_real_distribution<double> level(55, 100), loud(85, 105);
        std::vector<double> truth(kMinutes);
        for (int m = 0; m < kMinutes; ++m)
            truth[m] = m < 10 ? loud(rng) : level(rng);

        ComplianceInput input;
        input.setLevelAt = [setLevel](const QDateTime&) { return setLevel; };
        input.transferTime = t0.addSecs(60 * kMinutes);
        std::vector<std::vector<EnergyBox>> boxes(kBlocks);
        std::vector<std::pair<double, double>> sums(kBlocks);
        for (int b = 0; b < kBlocks; ++b) {
            double energy = 0;
            for (int m = b * 10; m < b * 10 + 10; ++m) {
                const int stored = static_cast<int>(std::lround(truth[m]));
                energy += EnergyOf(truth[m]);
                if (stored >= setLevel) {
                    input.records.push_back({t0.addSecs(60 * (m + 1)), stored, false});
                    boxes[b].push_back({EnergyOf(stored - 0.5), EnergyOf(stored + 0.5)});
                } else {
                    boxes[b].push_back({0, EnergyOf(setLevel)});
                }
            }
            const int leq10 = static_cast<int>(std::lround(10 * std::log10(energy / 10)));
            if (leq10 >= 70) {
                input.records.push_back({t0.addSecs(60 * (b * 10 + 10)), leq10, true});
                sums[b] = {10 * EnergyOf(leq10 - 0.5), 10 * EnergyOf(leq10 + 0.5)};
            } else {
                sums[b] = {0, 1e8};
            }
        }
        std::stable_sort(input.records.begin(), input.records.end(),
                         [](const LevelRecord& a, const LevelRecord& b) { return a.stamp < b.stamp; });

        const int d = 1 + static_cast<int>(rng() % 25);
        ComplianceAnalysis analysis(input, SettingsForFreeLimit(90, d));
        const qint64 first = analysis.elapsedOf(t0);
        analysis.run(first, first + kMinutes - d + 1, [&](const WindowResult& w) {
            const int s = static_cast<int>(w.start - first);
            double least = 0, most = 0, truthEnergy = 0;
            for (int b = 0; b < kBlocks; ++b) {
                std::vector<bool> inside(10);
                bool any = false;
                for (int i = 0; i < 10; ++i) {
                    inside[i] = b * 10 + i >= s && b * 10 + i < s + d;
                    any = any || inside[i];
                }
                if (!any) continue;
                const Extremes e = bruteForce(boxes[b], inside, sums[b].first, sums[b].second);
                least += e.least;
                most += e.most;
            }
            for (int m = s; m < s + d; ++m)
                truthEnergy += EnergyOf(truth[m]);
            const std::string at = "trial " + std::to_string(trial) + " start " + std::to_string(s);
            EXPECT_FALSE(w.touchesUnknown) << at;
            expectNear(least, w.leastEnergy, "least, " + at);
            expectNear(most, w.mostEnergy, "most, " + at);
            EXPECT_LE(w.leastEnergy, truthEnergy * (1 + 1e-12)) << at;
            EXPECT_GE(w.mostEnergy, truthEnergy * (1 - 1e-12)) << at;
        });
        EXPECT_EQ(analysis.notes().capsDropped + analysis.notes().intervalsDropped, 0);
    }
}
} // namespace

// A simulated device that knows the true level of every minute and stores what the QLV 40 stores:
// a Leq1 from the set level it judges the minute by, a Leq10 from 70 dB on the ten-minute grid of each
// recording stretch (its phase unknown to the analysis), nothing while the power is cut, a calibrator
// tone just before or after the calibration it logs; its set level changes now and then, the parameter
// history documenting it from some moment only; some evenings run across the autumn clock change, one
// pass of the repeated hour quiet. Every window's bounds hold the truth, and no verdict says more than
// the truth.
namespace {
struct BoundsSimulation {
    static constexpr int kMinutes = 240;
    bool autumn = false, setBack = false;
    QDateTime t0;                               // local time of elapsed minute 0
    std::vector<double> venue;                  // the venue's true level of each elapsed minute
    std::vector<double> measured;               // what the device measured (a calibrator tone included)
    std::vector<bool> recording;                // the device was recording
    std::vector<int> judgedBy;                  // the set level the device judged each minute by
    std::vector<std::pair<int, int>> setLevels; // (first elapsed minute, level), in order
    int documentedFrom = 0;                     // the history documents the set level from this minute

    // The clock goes back at the end of elapsed minute 149: 03:00 closes the first pass, whose last
    // minute ends at 03:00 (or at 02:00 for a device that writes it, and the change, once set back);
    // the second pass starts at 02:00.
    QDateTime endOf(int e) const { return t0.addSecs(60 * (autumn && e > 150 ? e - 60 : e)); }
    QDateTime startOf(int m) const { return t0.addSecs(60 * (autumn && m >= 150 ? m - 60 : m)); }
    int setLevelAt(int e) const {
        int level = setLevels.front().second;
        for (const auto& [from, l] : setLevels)
            if (e >= from) level = l;
        return level;
    }
};

BoundsSimulation simulateBoundsDevice(std::mt19937& rng, ComplianceInput& input) {
    BoundsSimulation sim;
    const int n = BoundsSimulation::kMinutes;
    sim.autumn = rng() % 2 == 0;
    sim.setBack = rng() % 2 == 0;
    // Autumn: local 00:30, the clock going back from 03:00 (elapsed 150) to 02:00.
    sim.t0 = sim.autumn ? DeviceTime(QDate(2019, 10, 27), QTime(0, 30))
                        : DeviceTime(QDate(2021, 6, 4), QTime(21, 0));
    sim.venue.resize(n);
    for (int m = 0; m < n;) {
        const int run = 5 + static_cast<int>(rng() % 35);
        const int regime = static_cast<int>(rng() % 3);
        std::uniform_real_distribution<double> level(regime == 0   ? 35
                                                     : regime == 1 ? 55
                                                                   : 85,
                                                     regime == 0   ? 60
                                                     : regime == 1 ? 82
                                                                   : 108);
        for (int k = 0; k < run && m < n; ++k, ++m)
            sim.venue[static_cast<std::size_t>(m)] = level(rng);
    }
    // One pass of the repeated hour quiet, the other loud.
    if (sim.autumn && rng() % 2 == 0) {
        const bool quietFirst = rng() % 2 == 0;
        std::uniform_real_distribution<double> quiet(40, 50), loud(95, 106);
        for (int m = 90; m < 210; ++m)
            sim.venue[static_cast<std::size_t>(m)] = (m < 150) == quietFirst ? quiet(rng) : loud(rng);
    }
    sim.measured = sim.venue;
    sim.recording.assign(n, true);

    // Set levels (changes away from the repeated hour, whose local minutes read twice).
    sim.setLevels.push_back({0, 75 + static_cast<int>(rng() % 28)});
    for (int k = static_cast<int>(rng() % 5); k > 0; --k) {
        int at = 10 + static_cast<int>(rng() % (n - 20));
        if (sim.autumn && at >= 85 && at < 215) at = 80 - static_cast<int>(rng() % 40);
        sim.setLevels.push_back({at, 75 + static_cast<int>(rng() % 28)});
    }
    std::sort(sim.setLevels.begin() + 1, sim.setLevels.end());
    sim.documentedFrom = rng() % 2 == 0 ? 0 : 5 + static_cast<int>(rng() % 70);
    sim.judgedBy.resize(n);
    for (int m = 0; m < n; ++m)
        // An event stamped m happens within [m, m + 1): the device judges that minute by either value.
        sim.judgedBy[static_cast<std::size_t>(m)] =
            m > 0 && rng() % 2 == 0 ? sim.setLevelAt(m - 1) : sim.setLevelAt(m);

    std::vector<std::pair<int, EventKind>> events;
    if (sim.autumn) events.push_back({150, EventKind::ClockChange});
    std::vector<int> restarts = {0};
    if (rng() % 2 == 0) { // a power cut
        const int cut = 20 + static_cast<int>(rng() % 180), start = cut + 2 + static_cast<int>(rng() % 15);
        events.push_back({cut, EventKind::PowerCut});
        events.push_back({start, EventKind::SystemStart});
        for (int m = cut; m <= start && m < n; ++m)
            sim.recording[static_cast<std::size_t>(m)] = false;
        restarts.push_back(start + 1);
        // Now and then a silent stretch: nothing reaches 70 dB on one side of the cut, so its grid has
        // no ten-minute level to show its phase.
        if (rng() % 2 == 0) {
            std::uniform_real_distribution<double> quiet(35, 64);
            const bool before = rng() % 2 == 0;
            for (int m = before ? 0 : start + 1; m < (before ? cut : n); ++m)
                sim.venue[static_cast<std::size_t>(m)] = sim.measured[static_cast<std::size_t>(m)] =
                    quiet(rng);
        }
    }
    if (rng() % 2 == 0) { // a calibration, the tone in the minute before or after its stamp
        const int at = 30 + static_cast<int>(rng() % 180);
        events.push_back({at, EventKind::Calibration});
        sim.measured[static_cast<std::size_t>(rng() % 2 == 0 ? at - 1 : at)] = 114;
    }
    std::sort(events.begin(), events.end());

    struct Stored {
        int end; // elapsed end of what the record covers
        int level;
        bool tenMinute;
    };
    std::vector<Stored> stored;
    for (int m = 0; m < n; ++m) {
        const auto i = static_cast<std::size_t>(m);
        const int level = static_cast<int>(std::lround(sim.measured[i]));
        if (sim.recording[i] && level >= sim.judgedBy[i]) stored.push_back({m + 1, level, false});
    }
    // Each recording stretch has its own ten-minute grid.
    for (std::size_t k = 0; k < restarts.size(); ++k) {
        int to = n;
        for (int m = restarts[k]; m < n; ++m)
            if (!sim.recording[static_cast<std::size_t>(m)]) {
                to = m;
                break;
            }
        for (int b = restarts[k] + static_cast<int>(rng() % 10); b + 10 <= to; b += 10) {
            double energy = 0;
            for (int m = b; m < b + 10; ++m)
                energy += EnergyOf(sim.measured[static_cast<std::size_t>(m)]);
            const int leq10 = static_cast<int>(std::lround(10 * std::log10(energy / 10)));
            if (leq10 >= 70) stored.push_back({b + 10, leq10, true});
        }
    }
    // The device writes in time order; the memory reads back sorted by local stamp.
    std::stable_sort(stored.begin(), stored.end(),
                     [](const Stored& a, const Stored& b) { return a.end < b.end; });
    for (const Stored& s : stored)
        input.records.push_back({sim.endOf(s.end), s.level, s.tenMinute});
    std::stable_sort(input.records.begin(), input.records.end(),
                     [](const LevelRecord& a, const LevelRecord& b) { return a.stamp < b.stamp; });
    for (const auto& [at, kind] : events)
        input.events.push_back(
            {kind == EventKind::ClockChange ? sim.endOf(at) : sim.startOf(at), kind, {}, {}, {}});
    std::stable_sort(input.events.begin(), input.events.end(),
                     [](const ComplianceEvent& a, const ComplianceEvent& b) { return a.stamp < b.stamp; });
    input.transferTime = sim.endOf(n);
    // The history keyed by local time: the change minutes lie outside the repeated hour.
    input.setLevelAt = [sim](const QDateTime& local) -> std::optional<int> {
        const qint64 minutes = sim.t0.secsTo(local) / 60;
        const int e = static_cast<int>(sim.autumn && minutes >= 90 ? minutes + 60 : minutes);
        if (e < sim.documentedFrom) return std::nullopt;
        return sim.setLevelAt(std::max(e, 0));
    };
    return sim;
}

TEST(ComplianceBounds, SimulatedDeviceWindowsHoldTheTruthAndNoVerdictSaysMore) {
    std::mt19937 rng(20191027);
    int certain = 0, compliant = 0;
    for (int trial = 0; trial < 600; ++trial) {
        ComplianceInput input;
        const BoundsSimulation sim = simulateBoundsDevice(rng, input);
        // Windows of one minute see each minute's box alone.
        const int d = rng() % 3 == 0 ? 1 : 1 + static_cast<int>(rng() % 30);
        // Now and then the limit is a set level: an upper bound equal to it is no exceedance.
        const double limit =
            rng() % 3 == 0 ? sim.setLevels.front().second : 80 + static_cast<int>(rng() % 25);
        ComplianceAnalysis analysis(input, SettingsForFreeLimit(limit, d));
        const qint64 first = analysis.elapsedOf(sim.t0);
        const double limitEnergy = d * EnergyOf(limit);
        analysis.run(first, first + BoundsSimulation::kMinutes - d + 1, [&](const WindowResult& w) {
            const int s = static_cast<int>(w.start - first);
            double truth = 0;
            for (int m = s; m < s + d; ++m)
                truth += EnergyOf(sim.venue[static_cast<std::size_t>(m)]);
            const std::string at = "trial " + std::to_string(trial) + " start " + std::to_string(s) +
                                   (sim.autumn ? " autumn" : "");
            EXPECT_LE(w.leastEnergy, truth * (1 + 1e-9)) << at;
            EXPECT_GE(w.mostEnergy, truth * (1 - 1e-9)) << at;
            if (w.verdict == Verdict::Certain) {
                EXPECT_GT(truth, limitEnergy) << at;
                ++certain;
            }
            if (w.verdict == Verdict::Compliant) {
                EXPECT_LE(truth, limitEnergy * (1 + 1e-9)) << at;
                ++compliant;
            }
        });
    }
    EXPECT_GT(certain, 100);
    EXPECT_GT(compliant, 100);
}
} // namespace
