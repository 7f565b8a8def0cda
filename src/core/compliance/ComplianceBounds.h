#pragma once

#include <limits>
#include <optional>
#include <vector>

// The arithmetic of the bounds, on energies (10^(L/10) per minute).
//
// Each minute has a box [low, high] for its energy (high may be infinite). A block is a run of ten
// minutes whose energies sum into [sumLow, sumHigh] (a stored ten-minute level). A window reads some
// minutes of a block; the energy it can hold there is bounded exactly by
//   most  = min(sum of high inside, sumHigh - sum of low outside)
//   least = max(sum of low inside, sumLow - sum of high outside).

constexpr double kInfiniteEnergy = std::numeric_limits<double>::infinity();

struct EnergyBox {
    double low = 0;
    double high = kInfiniteEnergy;
};

struct EnergyRange {
    double least = 0;
    double most = 0;
};

// Energies that agree to this relative tolerance are equal: a level equal to the limit is no
// exceedance, and a difference of two equal energies is none (not a residue of rounding).
constexpr double kEnergyTolerance = 1e-9;

// a - b, or 0 where a and b agree within the tolerance.
double EnergyDifference(double a, double b);
// Whether `energy` is above `limit` by more than the tolerance.
bool EnergyExceeds(double energy, double limit);

// The extremes of the energy of the minutes of a block that a window reads, from the sums of the
// boxes inside and outside the window and the block's sum interval (the block must be feasible).
EnergyRange BlockShareOfSums(double insideLow, double insideHigh, double outsideLow, double outsideHigh,
                             double sumLow, double sumHigh);

// The extremes of the energy of the minutes `inside` (a mask over `boxes`) under the block sum.
// The block must be feasible (see BlockFeasible).
EnergyRange BlockShare(const std::vector<EnergyBox>& boxes, const std::vector<bool>& inside, double sumLow,
                       double sumHigh);

// Whether the boxes can meet the sum interval.
bool BlockFeasible(const std::vector<EnergyBox>& boxes, double sumLow, double sumHigh);

// Energy of a level in dB, and the level (dB) of an energy mean over `minutes`; nothing for no energy
// or an infinite one.
double EnergyOf(double levelDb);
std::optional<double> LevelOf(double energy, int minutes);
// A bound to one decimal, rounded outwards so that the band shown always holds the exact one: a lower
// bound down, an upper bound up (a hair of floating-point noise is not a tenth).
std::optional<double> LowerTenth(const std::optional<double>& levelDb);
std::optional<double> UpperTenth(const std::optional<double>& levelDb);
