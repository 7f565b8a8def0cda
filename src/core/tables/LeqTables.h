#pragma once

#include "core/store/DataStore.h"

#include <QStringList>

// Level texts of the table lines. Generation 3 keeps the hundreds in column 7 and the rest in
// column 8 (" 95", "105"); generation 5 the other way round, always three characters (" 07", "100").
QString LevelTextV3(int column7, int column8);
QString LevelTextV5(int column7, int column8);

// The generation-3 table: one line per row Period_First..Period_Last of Leq_Records, with the ten
// minutes it covers, and an empty line between days.
QStringList BuildLeqTableV3(const DataStore& store);

// Copies the valid Leq1 (type 1) and Leq10 (type 10) rows of Period_First..Period_Last of Leq_Records
// into Leq1_Records and Leq10_Records and sets their counts (next free row).
void SplitLeq1Leq10(DataStore& store);

// The lines of Leq10_Records rows 1..Leq10_Count - 1 and of Leq1_Records rows 1..Leq1_Count - 1.
QStringList BuildLeq10Table(const DataStore& store);
QStringList BuildLeq1Table(const DataStore& store);
