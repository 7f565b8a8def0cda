#pragma once

#include "core/store/DataStore.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

// What the compliance analysis reads, whatever the data comes from (the data in memory, an archived
// period). Every date-time is the device's local time, held as a UTC-coded QDateTime (see DeviceTime):
// the device keeps no offset, and its automatic clock changes are events of the log.

// The weighting the device measured with ("Analyse : ..." of the parameters window).
enum class Weighting { A, Linear, M };

// One level record. Records come in time order; records with the same stamp keep memory order (in the
// hour repeated by an autumn clock change, the first of two equal stamps is the earlier minute).
struct LevelRecord {
    QDateTime stamp; // end of the minute or of the ten minutes the level covers
    int level = 0;   // whole dB
    bool tenMinute = false;
};

// The events the analysis reads or reports.
enum class EventKind {
    CoverOpened,
    CoverClosed,
    PowerCut,
    SystemStart,
    SensorFault,
    SensorFaultEnd,
    Calibration,
    ClockChange,
    ParameterChange,
    ConfigurationChange,
    TenSecondCut,
    GeneralCut,
    GeneralCutEnd,
    Other, // listed nowhere in the report (window opened or closed, printing, level fault, ...)
};

struct ComplianceEvent {
    QDateTime stamp;
    EventKind kind = EventKind::Other;
    QString text; // the event table's own text
    // Parameter changes only: the threshold in force just before and just after the change (dB).
    std::optional<int> thresholdBefore, thresholdAfter;
    // Parameter changes only: each field that changed, "Niveau Leq Nuit : 95 → 96".
    QStringList changes;
};

// The weighting set from a local time on (a parameter change).
struct WeightingChange {
    QDateTime from;
    Weighting weighting = Weighting::A;
};

// A stretch of local time that some download of the device covers, [from, to).
struct CoverageInterval {
    QDateTime from, to;
};

struct ComplianceInput {
    int generation = 5;                 // 3 or 5
    Weighting weighting = Weighting::A; // the current weighting, in force before the first change too
    std::vector<WeightingChange> weightingChanges; // time order
    QString device;                      // "QLV 40 - FirmWare Version : ... - Numéro de Série : ..."
    std::vector<LevelRecord> records;    // time order, then memory order
    std::vector<ComplianceEvent> events; // time order, then memory order
    // The set level (threshold) in force at a local minute; generation 5 only. Empty, or none at a
    // minute: the set level in force there is not documented and caps nothing.
    std::function<std::optional<int>(const QDateTime&)> setLevelAt;
    // Archived downloads: the stretches they cover, in order. Empty: one download, whose coverage runs
    // from the earliest level record to the transfer.
    std::vector<CoverageInterval> coverage;
    // End of the download (generation 5 keeps it). Without it the data ends at its latest record.
    std::optional<QDateTime> transferTime;
};

// The data in memory: every valid level and event row of the generation, the threshold timeline of the
// graph's template (parameter history and window state included), the weighting of option byte A, the
// transfer time of the save file or transfer.
ComplianceInput ComplianceInputFromDevice(const DeviceData& data, int generation);
ComplianceInput ComplianceInputFromStore(const DataStore& store);

// The kind of an event row of the given generation (codes as the event table reads them).
EventKind EventKindOf(int generation, int column7, int column8);

// The weighting of option byte A: bits 2-3, 12 = A, 8 = M, else linear.
Weighting WeightingOf(int optionA);
