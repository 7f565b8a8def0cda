#pragma once

#include "core/compliance/ComplianceAnalysis.h"

#include <QByteArray>
#include <QJsonDocument>
#include <QStringList>
#include <vector>

// The report a venue hands over: nights from noon to noon (like the graph window's days), a night's
// windows being those that start in it (they may read minutes of the next night).

struct BoundAt {
    std::optional<double> db; // one decimal; none when no window has a finite bound
    bool unbounded = false;   // an upper bound without limit (unknown or unconstrained minutes)
    QDateTime start;          // local start of the window where it occurs; invalid for no window
    double energy = -1;       // the bound's energy, for comparisons
};

// A maximal run of consecutive window starts whose verdict is "certain" or "possible".
struct ExceedanceEpisode {
    QDateTime firstStart; // local
    QDateTime end;        // local time of the last start + D
    BoundAt highestUpper;
    BoundAt highestLower;
    bool certain = false; // some window of the run is "certain"
};

// The band of one window, for the plot.
struct BandPoint {
    QDateTime start;
    std::optional<double> lowerDb, upperDb;
    Verdict verdict = Verdict::None;
};

struct VerdictCounts {
    int certain = 0, possible = 0, compliant = 0, incomplete = 0, none = 0;
    void add(Verdict verdict);
    VerdictCounts& operator+=(const VerdictCounts& other);
};

struct MinuteAccount {
    int covered = 0;
    std::array<int, kUnknownCauseCount> unknown{}; // by UnknownCause
    int unknownTotal() const;
    MinuteAccount& operator+=(const MinuteAccount& other);
};

struct NightReport {
    QDate day; // the night starts at noon of this day
    BoundAt highestUpper, highestLower;
    VerdictCounts counts;
    std::vector<ExceedanceEpisode> episodes;
    MinuteAccount minutes;
    std::vector<ComplianceEvent> events; // those that matter to an inspector, in order
    std::vector<BandPoint> band;         // every window, when the settings keep them
};

struct ComplianceReport {
    QString device;
    QDate from, to; // nights from noon of `from` to noon of the day after `to`
    int generation = 5;
    Weighting weighting = Weighting::A;
    ComplianceSettings settings;
    VerdictScope scope = VerdictScope::None;
    QString limitLabel; // preset name and limit, or the free limit, or "aucune limite"
    std::vector<NightReport> nights;
    // Over the period.
    BoundAt highestUpper, highestLower;
    VerdictCounts counts;
    int episodeCount = 0;
    MinuteAccount minutes;
    ComplianceNotes notes;
    QStringList noteLines; // the model's notes, in French, for every page
};

// Builds the report of the nights from..to. onWindow, when given, sees every window in order (the CSV).
ComplianceReport BuildComplianceReport(const ComplianceInput& input, const ComplianceSettings& settings,
                                       const QDate& from, const QDate& to,
                                       const std::function<void(const WindowResult&)>& onWindow = {});

// Outputs.
QStringList ComplianceTextLines(const ComplianceReport& report);
QJsonDocument ComplianceJson(const ComplianceReport& report);
// "debut,fin,leq_min_db,leq_max_db,verdict" and one row per window, as the CLI writes them.
inline const char* const kComplianceCsvHeader = "debut,fin,leq_min_db,leq_max_db,verdict";
QByteArray ComplianceCsvRow(const WindowResult& window);
// A level as the outputs write it: one decimal with a dot; empty for none.
QString BoundText(const std::optional<double>& db);
// "YYYY-MM-DDTHH:MM"
QString ComplianceStamp(const QDateTime& local);
// "Pondérée Type A", "Linéaire", "Pondérée Type M".
QString WeightingText(Weighting weighting);
