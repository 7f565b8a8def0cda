#pragma once

#include "core/graphs/Canvas.h"
#include "core/store/DataStore.h"

#include <vector>

// Supply cuts of the window as dots on the 122 dB line of the Leq10 graph, with their legend above
// the graph (left out while the enlarged graph shows a mouse-selected range).
// General cuts are always drawn in red, whatever colour is passed.
void DrawGeneralCuts(Canvas& box, const DataStore& store, RgbColor color);
void DrawTenSecondCuts(Canvas& box, const DataStore& store, RgbColor color);

// The 70 dB line under which the device stores no Leq10 value, its label and the hatched 60-70 dB
// band; nothing for generation-3 data, which has no such limit.
void DrawRecordingLimit(Canvas& box, const DataStore& store, RgbColor color);

// One hatching stroke, from (x1, level1) to (x2, level2).
struct HatchStroke {
    double x1, level1, x2, level2;
    bool operator==(const HatchStroke&) const = default;
};
std::vector<HatchStroke> RecordingLimitHatching(int graphDays);

inline const QString kGeneralCutLegend = QStringLiteral("Coupure Générale");
inline const QString kTenSecondCutLegend = QStringLiteral("Coupure 10 Secondes");
inline const QString kRecordingLimitLabel = QStringLiteral("Limite d'enregistrement");
