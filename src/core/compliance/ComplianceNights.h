#pragma once

#include "core/compliance/ComplianceReport.h"

#include <QDate>
#include <cstdint>
#include <optional>
#include <vector>

// One verdict per night, as the coverage calendar shows it: each night judged by the report's own code
// against the legal preset of the weighting it was recorded with.

// The version of the rules that turn records into verdicts. Raise it with any change that may change a
// verdict: verdicts kept under an older version are then computed again.
constexpr int kComplianceModelVersion = 1;

// A night in words: its worst window ("dépassement certain" before "dépassement possible" before
// "incomplet" before "conforme"); None when the report judges nothing (no limit, or a weighting the
// limit cannot be checked with).
Verdict NightVerdictOf(VerdictScope scope, const VerdictCounts& counts);

// The colour of a verdict as 0xRRGGBB, shared by the calendar and the "Conformité" window: red, orange,
// green, and grey-blue for "incomplet"; None gets a neutral grey.
uint32_t VerdictColour(Verdict verdict);

// The weighting in force over most of the night from noon of `day` to noon of the next (the later one
// when two hold as long).
Weighting NightWeighting(const ComplianceInput& input, const QDate& day);

struct JudgedNight {
    QDate day; // the night starts at noon of this day
    // The legal preset of the night's weighting ("decret-a" for A-weighted, "decret-c" for linear
    // levels); none for Type M, which no legal limit fits.
    std::optional<CompliancePreset> preset;
    Verdict verdict = Verdict::None; // None without a preset
    // The night's stretches over the limit (see ExceedanceEpisode): with a "certain" window, and the others.
    int certainEpisodes = 0, possibleEpisodes = 0;
};

// The nights from..to of the input, each against the legal preset of its own weighting, through
// BuildComplianceReport: a night's verdict is that of the same night in a report of that preset. The
// input should hold the records up to noon of the day after `to` and beyond (the windows starting just
// before the last noon read the minutes after it).
std::vector<JudgedNight> JudgeNights(const ComplianceInput& input, const QDate& from, const QDate& to);
