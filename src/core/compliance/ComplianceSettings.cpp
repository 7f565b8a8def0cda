#include "core/compliance/ComplianceSettings.h"

#include <cmath>

bool IsValidComplianceLimit(double limitDb) {
    return std::isfinite(limitDb) && limitDb >= kMinComplianceLimit && limitDb <= kMaxComplianceLimit;
}

const std::vector<CompliancePreset>& CompliancePresets() {
    static const std::vector<CompliancePreset> presets = {
        {QStringLiteral("Décret 2017 — A"), QStringLiteral("decret-a"), 102, 15, Weighting::A},
        {QStringLiteral("Décret 2017 — C"), QStringLiteral("decret-c"), 118, 15, Weighting::Linear},
        {QStringLiteral("Jeune public — A"), QStringLiteral("jeune-a"), 94, 15, Weighting::A},
        {QStringLiteral("Jeune public — C"), QStringLiteral("jeune-c"), 104, 15, Weighting::Linear},
        {QStringLiteral("Ancien décret"), QStringLiteral("ancien"), 105, 15, Weighting::A},
    };
    return presets;
}

std::optional<CompliancePreset> FindCompliancePreset(const QString& name) {
    for (const CompliancePreset& preset : CompliancePresets())
        if (preset.name == name || preset.key.compare(name.trimmed(), Qt::CaseInsensitive) == 0)
            return preset;
    return std::nullopt;
}

std::optional<CompliancePreset> DefaultPreset(Weighting dataWeighting) {
    if (dataWeighting == Weighting::M) return std::nullopt;
    for (const CompliancePreset& preset : CompliancePresets())
        if (preset.weighting == dataWeighting) return preset;
    return std::nullopt;
}

ComplianceSettings SettingsForPreset(const CompliancePreset& preset) {
    ComplianceSettings settings;
    settings.durationMinutes = preset.durationMinutes;
    settings.limitDb = preset.limitDb;
    settings.preset = preset;
    return settings;
}

ComplianceSettings SettingsForFreeLimit(double limitDb, int durationMinutes) {
    ComplianceSettings settings;
    settings.durationMinutes = durationMinutes;
    settings.limitDb = limitDb;
    return settings;
}

VerdictScope ScopeOf(Weighting dataWeighting, const ComplianceSettings& settings) {
    if (!settings.limitDb || !IsValidComplianceLimit(*settings.limitDb)) return VerdictScope::None;
    // A limit the user typed is compared with the levels as measured.
    if (!settings.preset) return VerdictScope::Full;
    switch (dataWeighting) {
    case Weighting::A:
        return settings.preset->weighting == Weighting::A ? VerdictScope::Full : VerdictScope::None;
    case Weighting::Linear:
        // A linear level is never below the C-weighted one: compliance is proven, an exceedance is not.
        // The A curve lifts some frequencies, so an A limit says nothing of linear data.
        return settings.preset->weighting == Weighting::Linear ? VerdictScope::ComplianceOnly
                                                               : VerdictScope::None;
    case Weighting::M:
        return VerdictScope::None;
    }
    return VerdictScope::None;
}
