#pragma once

#include "core/graphs/Canvas.h"
#include "core/store/DataStore.h"

// Which records a curve draws.
enum class CurveSource {
    Leq,   // generation 3: Leq_Records rows Period_First .. Period_Last, on the Leq10 graph
    Leq10, // generation 5: Leq10_Records rows 1 .. Leq10_Count - 1
    Leq1,  // generation 5: Leq1_Records rows 1 .. Leq1_Count - 1, on the Leq1 graph
};

// The source of the Leq10 graph for the generation of the data.
CurveSource leq10SourceOf(const DataStore& store);

// The level of a record in whole dB: generation 3 keeps the hundreds in column 7, generation 5 in
// column 8.
int recordLevel(const LeqTable& table, int row, bool generation3);

// Draws the levels of the window as a staircase: each record is a step that ends at its own time and
// covers the interval it averages (10 minutes, 1 minute for Leq1); records closer than 11 minutes
// (2 for Leq1) are joined, a longer gap breaks the curve. The Leq1 graph also gets the 70 dB line and
// its note. Returns false, drawing nothing, when the window holds no record of the source: the graph
// window then hides the zoom buttons of that graph (both of them for generation-3 data).
bool DrawLevelCurve(Canvas& box, const DataStore& store, CurveSource source, int graphDays, RgbColor color);

// The threshold template (Template_Steps) as a step line across the whole time axis, when one was built.
void DrawTemplateLine(Canvas& box, const DataStore& store, RgbColor color);

// The arrow that points down at the record picked in a list (record = row of the curve's table).
void MarkSelectedLeq1(Canvas& box, const DataStore& store, int record, RgbColor color);
void MarkSelectedLeq10(Canvas& box, const DataStore& store, int record, RgbColor color);

inline const QString kLeq1Note =
    QStringLiteral("Niveaux Leq 1 enregistrés en cas de dépassement du niveau de consigne !!!");
