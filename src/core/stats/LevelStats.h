#pragma once

#include <QDateTime>
#include <optional>
#include <vector>

// One stored level with the moment the device stamped it (device local time, whole minutes).
struct LevelSample {
    QDateTime stamp;
    int level = 0; // dB
};

// Count, energy average, maximum and minimum of a set of stored levels.
struct LevelSummary {
    int count = 0;
    std::optional<double> energyAverage; // dB, to 0.1 dB; none without values
    int maximum = 0;
    QDateTime maximumAt; // first record that reached the maximum
    int minimum = 0;
    QDateTime minimumAt;
};

// Levels of the recorded one-minute values exceeded (reached) by 10 %, 50 % and 90 % of them.
struct Percentiles {
    int l10 = 0;
    int l50 = 0;
    int l90 = 0;
};

// L = 10 log10(mean(10^(Li/10))), rounded to 0.1 dB. Averaging the energies rather than the decibels
// is what makes a loud minute weigh as much as the sound it carried. Computed relative to the loudest
// value so that no level, however odd, overflows the exponent.
std::optional<double> EnergyAverage(const std::vector<int>& levels);

LevelSummary Summarise(const std::vector<LevelSample>& samples);

// Nearest rank on the values sorted from the loudest: Lx is the value of rank ceil(x * n / 100), the
// quietest level that at least x % of the values reach. Levels are whole decibels, so there is nothing
// to interpolate. None without values.
std::optional<Percentiles> PercentilesOf(std::vector<int> levels);
int PercentileOf(const std::vector<int>& loudestFirst, int percent);
