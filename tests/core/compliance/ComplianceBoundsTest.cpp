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
