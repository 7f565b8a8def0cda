#pragma once

#include "core/store/DataStore.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <vector>

// Months of one device read once a week: every reading is the whole memory of the same continuous
// recording at that moment, so consecutive readings overlap (the memory holds more than a week) and
// the oldest rows drop out once it is full. One week's reading is missed and the memory erased at a
// service visit the same morning, so that week is a gap of the archive; the device's clock follows
// summer time, so an autumn history lives one hour twice; the manager moves thresholds now and then.
struct HistoryOptions {
    QDate start = QDate(2026, 6, 1);
    int weeks = 26;
    int missedWeek = 13; // 1-based reading left out, its records lost; 0 for none
    uint32_t seed = 7;
};

struct HistoryReading {
    QDate day; // the morning the memory was read
    DeviceData data;
};

// An empty text when the options can be generated, else why not (in English, for the console).
QString CheckHistoryOptions(const HistoryOptions& options);
std::vector<HistoryReading> GenerateHistory(const HistoryOptions& options);

// Writes each reading as a generation-5 save file named qlv40-YYYY-MM-DD.qlv in the folder (created
// when missing); returns the paths, in order, or nothing (with the reason in *error).
QStringList WriteHistoryFiles(const HistoryOptions& options, const QString& folder, QString* error = nullptr);
