#pragma once

#include "core/compliance/ComplianceInput.h"

#include <QString>
#include <optional>
#include <vector>

// The limit a period is judged against.
struct CompliancePreset {
    QString name;       // "Décret 2017 — A", ...
    QString key;        // "decret-a": a stable ASCII name for the command line and the server's API
    double limitDb = 0; // equivalent level over the duration
    int durationMinutes = 15;
    Weighting weighting = Weighting::A; // A or Linear (a C-weighted limit)
};

// The legal presets, in the order the window offers them.
const std::vector<CompliancePreset>& CompliancePresets();
// The preset of this French label or ASCII key (case and accents as written above for the label,
// the key in any case).
std::optional<CompliancePreset> FindCompliancePreset(const QString& name);
// The preset a data set gets when the user chooses none: the first A preset for A-weighted data, the
// first C preset for linear data, none for M-weighted data.
std::optional<CompliancePreset> DefaultPreset(Weighting dataWeighting);

// A limit is a finite level from 40 to 140 dB.
constexpr double kMinComplianceLimit = 40;
constexpr double kMaxComplianceLimit = 140;
bool IsValidComplianceLimit(double limitDb);

constexpr int kMinComplianceDuration = 1;
constexpr int kMaxComplianceDuration = 60;

struct ComplianceSettings {
    int durationMinutes = 15; // 1..60
    // The limit; none: bounds only, no verdict.
    std::optional<double> limitDb;
    // The preset the limit comes from; none for a free limit typed by the user.
    std::optional<CompliancePreset> preset;
    // Keep every window of each night in the report (the band plot); off for long CSV-only runs.
    bool keepWindows = true;
};

ComplianceSettings SettingsForPreset(const CompliancePreset& preset);
ComplianceSettings SettingsForFreeLimit(double limitDb, int durationMinutes);

// How far a verdict may go for data of one weighting against a limit (none for a limit that is not
// valid).
enum class VerdictScope {
    Full,           // every verdict
    ComplianceOnly, // linear data against a C limit: a bound at or under the limit proves compliance; an
                    // exceedance is at most "possible" (a linear level is never below the C-weighted one)
    None,           // no limit, or a preset no measure of this weighting can prove: levels and bounds only
};
VerdictScope ScopeOf(Weighting dataWeighting, const ComplianceSettings& settings);
