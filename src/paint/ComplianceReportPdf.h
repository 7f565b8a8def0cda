#pragma once

#include "core/compliance/ComplianceReport.h"

#include <QPagedPaintDevice>
#include <QString>

class QPdfWriter;

// The compliance report on paper, in French: a summary of the period, the downloads it rests on and one
// line per night (continued on further pages as needed), then each night from a new page with its band
// plot, figures, every episode and every inspector event, continued on further pages rather than cut.
// Every page carries the device, the period, the limit, the weighting and the model's notes.

// Where the band of a night comes from when the report keeps no windows (long periods): computed one
// night at a time. Null: the report's own bands.
using ComplianceBandSource = ComplianceNightBands*;

// Pages the report takes on this device.
int ComplianceReportPageCount(QPagedPaintDevice& device, const ComplianceReport& report);

// Paints every page on the device (a printer or a PDF writer). False when it cannot be painted on.
bool PrintComplianceReport(QPagedPaintDevice& device, const ComplianceReport& report,
                           ComplianceBandSource bands = nullptr);

// Sets up an A4 portrait writer as the report wants it.
void SetUpComplianceReportWriter(QPdfWriter& writer);

// Writes the report as an A4 PDF through the checked output path: a temporary file beside the target,
// synced and renamed at the end, so a failure leaves any earlier file whole. False with the reason.
bool WriteComplianceReportPdf(const ComplianceReport& report, const QString& fileName, QString& error,
                              ComplianceBandSource bands = nullptr);
