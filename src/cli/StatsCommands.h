#pragma once

#include "cli/CliApp.h"
#include "core/stats/Export.h"
#include "core/stats/PeriodStats.h"
#include "core/store/DataStore.h"

#include <QDate>
#include <optional>
#include <vector>

// vorl-cli stats / export: the statistics of a period and the export files, for a save file or a period of an
// archived device.
std::vector<CliCommand> statsCommands();

enum class OutputFormat { Text, Csv, Json };

// Prints the statistics of the period for data already in the store, to standard output or to the
// file `out`. Returns 1 for a start after the end (with the period dialog's message, on standard
// error for csv and json) and for an output that could not be written.
int printStats(const DataStore& store, const QDate& from, const QDate& to,
               const std::optional<TypedThresholds>& thresholds, OutputFormat format, const QString& out,
               CliStreams& io);

// Prints statistics already computed; serialText heads the text form.
int writeStats(const PeriodStats& stats, const QString& serialText, OutputFormat format, const QString& out,
               CliStreams& io);

// Reads "DAY,NIGHT,JN,NJ" (dB, dB, hour, hour); nothing when the text is not four such numbers.
std::optional<TypedThresholds> ParseThresholds(const QString& text);
