#pragma once

#include "core/compliance/ComplianceReport.h"

#include <QPainter>
#include <QRectF>
#include <optional>

// The band between the lower and upper bounds of every window of one night, the limit line and the
// exceedance episodes. The report's page and the compliance window draw it with the same code.

struct BandView {
    // Window starts shown, as indexes into the night's band: [first, last). Empty: the whole night.
    int first = 0;
    int last = -1;
    // The episode to show picked out (index into the night's episodes), none otherwise.
    std::optional<int> selectedEpisode;
    // The window under the mouse (index into the band), marked by a vertical line.
    std::optional<int> cursor;
    // Device pixels per typographic point, for line widths (1 on screen).
    double pixelsPerPoint = 1.0;
};

// The level range the night's plot uses: its bounds and the limit, in whole tens of dB.
struct BandScale {
    double lowDb = 40, highDb = 120;
};
BandScale BandScaleOf(const ComplianceReport& report, const NightReport& night);

// The plot area inside `area` once the axis labels have their room.
QRectF BandPlotArea(const QRectF& area, const QFontMetricsF& metrics);

// Paints the plot into `area` with the painter's current font for the labels.
void PaintComplianceBand(QPainter& painter, const QRectF& area, const ComplianceReport& report,
                         const NightReport& night, const BandView& view = {});

// The night's episodes as runs [first, last) of band indexes, in the order of night.episodes.
std::vector<std::pair<int, int>> BandEpisodeRuns(const NightReport& night);

// The index of the window start under x, for a plot painted into `area` with `view`; none outside.
std::optional<int> BandIndexAt(double x, const QRectF& area, const QFontMetricsF& metrics,
                               const NightReport& night, const BandView& view);
