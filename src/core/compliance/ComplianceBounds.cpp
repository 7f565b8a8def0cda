#include "core/compliance/ComplianceBounds.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr double kTenthNoise = 1e-9;
}

double EnergyDifference(double a, double b) {
    if (std::isinf(a) || std::isinf(b)) return a - b;
    const double d = a - b;
    return std::abs(d) <= kEnergyTolerance * std::max(std::abs(a), std::abs(b)) ? 0.0 : d;
}

bool EnergyExceeds(double energy, double limit) {
    return energy > limit * (1 + kEnergyTolerance);
}

EnergyRange BlockShareOfSums(double insideLow, double insideHigh, double outsideLow, double outsideHigh,
                             double sumLow, double sumHigh) {
    const double least = std::max({insideLow, EnergyDifference(sumLow, outsideHigh), 0.0});
    const double most = std::max(std::min(insideHigh, EnergyDifference(sumHigh, outsideLow)), least);
    return {least, most};
}

EnergyRange BlockShare(const std::vector<EnergyBox>& boxes, const std::vector<bool>& inside, double sumLow,
                       double sumHigh) {
    double insideLow = 0, insideHigh = 0, outsideLow = 0, outsideHigh = 0;
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        (inside[i] ? insideLow : outsideLow) += boxes[i].low;
        (inside[i] ? insideHigh : outsideHigh) += boxes[i].high;
    }
    return BlockShareOfSums(insideLow, insideHigh, outsideLow, outsideHigh, sumLow, sumHigh);
}

bool BlockFeasible(const std::vector<EnergyBox>& boxes, double sumLow, double sumHigh) {
    double low = 0, high = 0;
    for (const EnergyBox& box : boxes) {
        low += box.low;
        high += box.high;
    }
    return !EnergyExceeds(low, sumHigh) && !EnergyExceeds(sumLow, high);
}

double EnergyOf(double levelDb) {
    return std::pow(10.0, levelDb / 10.0);
}

std::optional<double> LevelOf(double energy, int minutes) {
    if (!(energy > 0) || std::isinf(energy) || minutes <= 0) return std::nullopt;
    return 10.0 * std::log10(energy / minutes);
}

std::optional<double> LowerTenth(const std::optional<double>& levelDb) {
    if (!levelDb) return std::nullopt;
    return std::floor(*levelDb * 10.0 + kTenthNoise) / 10.0;
}

std::optional<double> UpperTenth(const std::optional<double>& levelDb) {
    if (!levelDb) return std::nullopt;
    return std::ceil(*levelDb * 10.0 - kTenthNoise) / 10.0;
}
