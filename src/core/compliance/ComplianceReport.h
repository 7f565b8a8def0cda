#pragma once

#include "core/compliance/ComplianceAnalysis.h"

#include <QByteArray>
#include <QJsonDocument>
#include <QStringList>
#include <memory>
#include <vector>

// The report a venue hands over: nights from noon to noon (like the graph window's days), a night's
// windows being those that start in it (they may read minutes of the next night).

// The highest finite bound of some windows and where it occurs.
struct BoundAt {
    std::optional<double> db; // one decimal; none when no window has a finite (lower: non-empty) bound
    bool unbounded = false;   // upper bounds: some window has none (unknown or unconstrained minutes)
    int unboundedWindows = 0; // upper bounds: how many
    QDateTime start;          // local start of the window of `db`; invalid without `db`
    double energy = -1;       // the bound's energy, for comparisons
};

// A connected stretch of the union of the spans [s, s + D) of the windows whose verdict is "certain" or
// "possible": windows that overlap or meet belong to one episode.
struct ExceedanceEpisode {
    QDateTime firstStart;                  // local
    QDateTime end;                         // local time of the last start + D
    qint64 firstMinute = 0, endMinute = 0; // the same as elapsed minutes
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
    QDate day;              // the night starts at noon of this day
    qint64 firstMinute = 0; // elapsed minute of its first window start (band index 0)
    BoundAt highestUpper, highestLower;
    VerdictCounts counts;
    std::vector<ExceedanceEpisode> episodes;
    MinuteAccount minutes;
    std::vector<ComplianceEvent> events; // those that matter to an inspector, in order
    std::vector<BandPoint> band;         // every window, when the settings keep them
};

// A download the report rests on, for the inspector to match against the files kept.
struct ReportSource {
    QString id;         // the archive's download number; empty for a file
    QString transfer;   // "dd/MM/yyyy hh:mm" of the transfer, as the device gave it
    QString sha256;     // hex; empty when not known
    QString sha256Kind; // what was hashed ("fichier", "forme canonique")
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
    int episodeCount = 0; // stretches of the whole period: one that runs across noon counts once
    MinuteAccount minutes;
    ComplianceNotes notes;
    QStringList noteLines;             // the model's notes, in French, for every page
    QString csvSha256;                 // hex SHA-256 of the CSV output of the same period and limit
    std::vector<ReportSource> sources; // set by the caller that knows where the data came from
};

// Why the nights from..to cannot be reported (French), or an empty text. The device's clock, and so any
// archive, knows only the years 2000 to 2098; the last night ends at noon of the day after `to`.
QString CompliancePeriodProblem(const QDate& from, const QDate& to);
constexpr int kComplianceFirstYear = 2000;
constexpr int kComplianceLastYear = 2098;

// Builds the report of the nights from..to. onWindow, when given, sees every window in order (the CSV).
ComplianceReport BuildComplianceReport(const ComplianceInput& input, const ComplianceSettings& settings,
                                       const QDate& from, const QDate& to,
                                       const std::function<void(const WindowResult&)>& onWindow = {});

// The windows of one night at a time, for plots painted page by page from a report that keeps none.
class ComplianceNightBands {
public:
    ComplianceNightBands(const ComplianceInput& input, const ComplianceSettings& settings);
    ~ComplianceNightBands();
    std::vector<BandPoint> band(const NightReport& night);

private:
    std::unique_ptr<ComplianceAnalysis> m_analysis;
};

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

// French texts shared by the text report, the PDF and the window.
QString FrenchCount(int n); // "10 046", grouped by a no-break space
QString FrenchDb(const std::optional<double>& db, Weighting weighting); // "102,0 dB(A)"; "" for none
QString ComplianceDurationText(int minutes);                            // "159 h 27 min"
QString ComplianceCountsText(const ComplianceReport& report, const VerdictCounts& counts);
QString ComplianceMinutesText(const MinuteAccount& minutes);
QString ComplianceUpperText(const ComplianceReport& report, const BoundAt& bound, bool withTime = true);
QString ComplianceLowerText(const ComplianceReport& report, const BoundAt& bound, bool withTime = true);
QString ComplianceEpisodeText(const ComplianceReport& report, const ExceedanceEpisode& episode);
// An event with, for a parameter change, what changed field by field.
QString ComplianceEventText(const ComplianceEvent& event);
QStringList ComplianceSourceLines(const ComplianceReport& report);
