#pragma once

#include "core/archive/ArchiveCalendar.h"
#include "core/compliance/ComplianceNights.h"

#include <QString>

// The coverage calendar as inline SVG: one row per month, a square per day in the calendar's colours
// (a partly covered day coloured in its lower half, a gap hatched), its tool tip as the square's title,
// each covered day a link to its night (dayLink: "%1" takes the date YYYY-MM-DD).
QString calendarSvg(const std::vector<CalendarMonth>& months, const QString& dayLink);
// The nights as a strip of verdict colours, oldest first.
QString nightStripSvg(const std::vector<JudgedNight>& nights);
// One night's band plot, painted by the same code as the report and the window, as an SVG document.
QByteArray nightBandSvg(const ComplianceReport& report, const NightReport& night);
