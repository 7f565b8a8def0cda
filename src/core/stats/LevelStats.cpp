#include "core/stats/LevelStats.h"

#include <algorithm>
#include <cmath>
#include <functional>

std::optional<double> EnergyAverage(const std::vector<int>& levels) {
    if (levels.empty()) return std::nullopt;
    const int loudest = *std::max_element(levels.begin(), levels.end());
    double sum = 0;
    for (int level : levels)
        sum += std::pow(10.0, (level - loudest) / 10.0);
    const double average = loudest + 10.0 * std::log10(sum / static_cast<double>(levels.size()));
    return std::round(average * 10.0) / 10.0;
}

LevelSummary Summarise(const std::vector<LevelSample>& samples) {
    LevelSummary summary;
    summary.count = static_cast<int>(samples.size());
    if (samples.empty()) return summary;
    std::vector<int> levels;
    levels.reserve(samples.size());
    summary.maximum = summary.minimum = samples.front().level;
    summary.maximumAt = summary.minimumAt = samples.front().stamp;
    for (const LevelSample& sample : samples) {
        levels.push_back(sample.level);
        if (sample.level > summary.maximum) {
            summary.maximum = sample.level;
            summary.maximumAt = sample.stamp;
        }
        if (sample.level < summary.minimum) {
            summary.minimum = sample.level;
            summary.minimumAt = sample.stamp;
        }
    }
    summary.energyAverage = EnergyAverage(levels);
    return summary;
}

int PercentileOf(const std::vector<int>& loudestFirst, int percent) {
    const auto n = static_cast<long long>(loudestFirst.size());
    long long rank = (static_cast<long long>(percent) * n + 99) / 100; // ceil(percent * n / 100)
    rank = std::clamp(rank, 1LL, n);
    return loudestFirst[static_cast<size_t>(rank - 1)];
}

std::optional<Percentiles> PercentilesOf(std::vector<int> levels) {
    if (levels.empty()) return std::nullopt;
    std::sort(levels.begin(), levels.end(), std::greater<int>());
    return Percentiles{PercentileOf(levels, 10), PercentileOf(levels, 50), PercentileOf(levels, 90)};
}
