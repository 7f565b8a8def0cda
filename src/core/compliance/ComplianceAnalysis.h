#pragma once

#include "core/compliance/ComplianceSettings.h"

#include <QDate>
#include <QDateTime>
#include <array>
#include <functional>
#include <memory>
#include <optional>

// The level over every sliding window of a period, with honest bounds.
//
// The analysis runs on elapsed minutes: the device's local clock jumps at its automatic clock changes
// (spring: an hour that does not exist; autumn: an hour lived twice), windows run over the real minutes.
// A window starting at minute s reads [s, s + D). Its bounds come from the boxes of its minutes and the
// ten-minute blocks they belong to (see docs/compliance.md).

enum class Verdict { Certain, Possible, Compliant, Incomplete, None };

// "certain", "possible", "conforme", "incomplet"; empty for None.
QString VerdictCode(Verdict verdict);
// "dépassement certain", "dépassement possible", "conforme", "incomplet"; empty for None.
QString VerdictText(Verdict verdict);

// Why a minute is not known.
enum class UnknownCause {
    BeforeData,     // before the earliest level record (the memory may have wrapped)
    AfterData,      // after the transfer (or the latest record)
    OutsideArchive, // between downloads whose coverage does not meet
    PowerCut,       // from a power cut to the next system start
    Restart,        // before a system start with no power cut logged, back to the previous record
    SensorFault,    // from a sensor fault to its end
    Calibration,    // the ten minutes after a calibration
};
constexpr int kUnknownCauseCount = 7;
// French text of a cause, for the report.
QString UnknownCauseText(UnknownCause cause);

struct WindowResult {
    qint64 start = 0;     // elapsed minute
    QDateTime localStart; // device local time
    QDateTime localEnd;   // local time of start + D
    // The UTC offsets (minutes) of the start and end where the local time reads twice (the hour repeated
    // by an autumn clock change); none elsewhere.
    std::optional<int> startUtcOffset, endUtcOffset;
    double leastEnergy = 0;
    double mostEnergy = 0;
    std::optional<double> lowerDb; // one decimal; none when no finite bound
    std::optional<double> upperDb;
    bool touchesUnknown = false;
    Verdict verdict = Verdict::None;
};

// What the model had to assume or drop, counted over the analysed minutes.
struct ComplianceNotes {
    int offGridTenMinute = 0;         // ten-minute records off their segment's grid (no constraint)
    int straddlingTenMinute = 0;      // ten-minute records across an unknown stretch (no constraint)
    int capsDropped = 0;              // blocks whose set-level caps had to go to meet their record
    int intervalsDropped = 0;         // blocks whose record contradicts the one-minute records
    int repeatedHourRecords = 0;      // records in an hour repeated by a clock change
    int eitherPassRecords = 0;        // of these, records that may belong to either pass
    int windowsOnCaps = 0;            // windows whose verdict would differ without the set-level caps
    bool eventLogStartsLater = false; // power cuts before the log's first entry are not known
    QDateTime eventLogStart;
};

// A minute's state, for the unknown-minute accounting of the report.
struct MinuteState {
    qint64 minute = 0; // elapsed
    QDateTime local;
    std::optional<UnknownCause> unknown;
};

// The analysis of one input under one setting. Building it indexes the records and events (memory in
// proportion to them); run() then walks any stretch of windows with a buffer of a few blocks. The input
// must outlive the analysis.
class ComplianceAnalysis {
public:
    ComplianceAnalysis(const ComplianceInput& input, const ComplianceSettings& settings);
    ~ComplianceAnalysis();
    ComplianceAnalysis(const ComplianceAnalysis&) = delete;
    ComplianceAnalysis& operator=(const ComplianceAnalysis&) = delete;

    // Elapsed minute of a local time, and back. A local time in a skipped hour maps to the first minute
    // after it; a local time of a repeated hour maps to its first pass.
    qint64 elapsedOf(const QDateTime& local) const;
    QDateTime localOf(qint64 elapsed) const;

    // Every window starting in [first, last), in order; and every minute of [first, last) with its
    // state. Notes gather over all runs.
    void run(qint64 first, qint64 last, const std::function<void(const WindowResult&)>& onWindow,
             const std::function<void(const MinuteState&)>& onMinute = {});

    const ComplianceNotes& notes() const;
    // How far the verdicts of the period may go: the farthest of its weightings (each window is judged
    // by the weighting of its own minutes).
    VerdictScope scope() const;
    const ComplianceSettings& settings() const;

private:
    struct Impl;
    std::unique_ptr<Impl> m;
};
