#pragma once

#include "core/tables/ParametersForm.h"

#include <QFont>

class QPainter;
class QPagedPaintDevice;

// The windows' labels are drawn in Arial; where it is missing DejaVu Sans takes its place with the
// same size and weight. The window's widgets and the printout take their fonts from here.
QFont formFont(const FormFont& font);

// Paints the printed items of a form (texts and frame lines, on white) with its top-left corner at
// the painter's origin, at the device's resolution: one twip is 1/1440 inch on paper as on screen.
void paintForm(QPainter& painter, const ParametersForm& form);

// One page holding the form, as Cmd_Print prints the window. False when the device cannot be painted
// on (no printer, unwritable file).
bool printForm(QPagedPaintDevice& device, const ParametersForm& form);
