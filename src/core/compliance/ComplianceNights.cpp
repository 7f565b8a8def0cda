#include "core/compliance/ComplianceNights.h"

#include "core/stats/ThresholdTimeline.h"

#include <algorithm>
#include <array>
#include <map>

Verdict NightVerdictOf(VerdictScope scope, const VerdictCounts& c) {
    if (scope == VerdictScope::None) return Verdict::None;
    if (c.certain > 0) return Verdict::Certain;
    if (c.possible > 0) return Verdict::Possible;
    if (c.incomplete > 0) return Verdict::Incomplete;
    if (c.compliant > 0) return Verdict::Compliant;
    return Verdict::None;
}

uint32_t VerdictColour(Verdict verdict) {
    switch (verdict) {
    case Verdict::Certain:
        return 0xE53935; // red
    case Verdict::Possible:
        return 0xFFA726; // orange
    case Verdict::Compliant:
        return 0x66BB6A; // green
    case Verdict::Incomplete:
        return 0x90A4AE; // grey-blue
    case Verdict::None:
        break;
    }
    return 0xBDBDBD;
}

Weighting NightWeighting(const ComplianceInput& input, const QDate& day) {
    const QDateTime noon = DeviceTime(day, QTime(12, 0)), nextNoon = DeviceTime(day.addDays(1), QTime(12, 0));
    std::array<qint64, 3> seconds{};
    // The weighting before the first change is the input's own (see ComplianceTimeline).
    Weighting current = input.weighting;
    QDateTime from = noon;
    for (const WeightingChange& change : input.weightingChanges) {
        if (change.from >= nextNoon) break;
        if (change.from > from) {
            seconds[static_cast<std::size_t>(current)] += from.secsTo(change.from);
            from = change.from;
        }
        current = change.weighting;
    }
    seconds[static_cast<std::size_t>(current)] += from.secsTo(nextNoon);
    Weighting longest = current; // the latest wins a tie
    for (Weighting w : {Weighting::A, Weighting::Linear, Weighting::M})
        if (seconds[static_cast<std::size_t>(w)] > seconds[static_cast<std::size_t>(longest)]) longest = w;
    return longest;
}

std::vector<JudgedNight> JudgeNights(const ComplianceInput& input, const QDate& from, const QDate& to) {
    std::vector<JudgedNight> nights;
    if (!from.isValid() || !to.isValid() || from > to) return nights;
    // The nights of each preset, judged by one report over the span from the first to the last of them.
    std::map<QString, std::pair<QDate, QDate>> spans;
    for (QDate day = from; day <= to; day = day.addDays(1)) {
        JudgedNight night{day, DefaultPreset(NightWeighting(input, day)), Verdict::None};
        if (night.preset) {
            auto [it, added] = spans.try_emplace(night.preset->key, day, day);
            if (!added) it->second.second = day;
        }
        nights.push_back(night);
    }
    for (const auto& [key, span] : spans) {
        ComplianceSettings settings = SettingsForPreset(*FindCompliancePreset(key));
        settings.keepWindows = false;
        const ComplianceReport report = BuildComplianceReport(input, settings, span.first, span.second);
        for (const NightReport& n : report.nights) {
            JudgedNight& night = nights[static_cast<std::size_t>(from.daysTo(n.day))];
            if (night.preset && night.preset->key == key) {
                night.verdict = NightVerdictOf(report.scope, n.counts);
                for (const ExceedanceEpisode& episode : n.episodes)
                    ++(episode.certain ? night.certainEpisodes : night.possibleEpisodes);
            }
        }
    }
    return nights;
}
