#pragma once

#include "cli/CliApp.h"
#include "core/store/DataStore.h"

#include <QDate>
#include <optional>
#include <vector>

// vorl-cli table / params: the table windows' contents as text, one line per list line.
std::vector<CliCommand> tableCommands();

enum class TableKind { Leq, Leq1, Leq10, Events };

// Prints the table of the period for data already in the store: the serial-number label, the
// heading, then every line of the list (generation-5 "leq": the Leq10 block, then the Leq1 block).
// Returns 1 (with the period dialog's message) for a start after the end, 2 for Leq1 of
// generation-3 data.
int printTable(DataStore& store, TableKind kind, const QDate& from, const QDate& to, CliStreams& io);

// The printout of a table window (Cmd_Print) for the period: as a PDF file when pdfPath is given,
// otherwise as "page<TAB>left<TAB>top<TAB>text" lines (twips). Generation-5 "leq" is the window's
// printout (Leq10 part, then Leq1 part); "leq10" and "leq1" print one part. Same statuses as printTable.
int printTablePrintout(DataStore& store, TableKind kind, const QDate& from, const QDate& to,
                       const QString& pdfPath, CliStreams& io);

// Prints the parameters window: Label_Date (generation 5), then "caption<TAB>value" per shown value.
// change = history entry (0 = newest). Returns 2 when the entry does not exist.
int printParameters(DataStore& store, std::optional<int> change, CliStreams& io);

// The parameters as printed pages (heading, Label_Date, one line per shown value), as a PDF file or as
// positioned texts like printTablePrintout. Same statuses as printParameters.
int printParametersPrintout(DataStore& store, std::optional<int> change, const QString& pdfPath,
                            CliStreams& io);
