#pragma once

#include "core/compliance/ComplianceReport.h"

#include <QPagedPaintDevice>
#include <QString>

// The compliance report on paper, in French: a summary of the period (continued on further pages when
// the nights do not fit one), then one page per night with its band plot, episodes and events. Every
// page carries the device, the period, the limit, the weighting and the model's notes.

// Pages of the report: the summary's, then one per night.
int ComplianceSummaryPageCount(const ComplianceReport& report);
int ComplianceReportPageCount(const ComplianceReport& report);

// Paints every page on the device (a printer or a PDF writer). False when it cannot be painted on.
bool PrintComplianceReport(QPagedPaintDevice& device, const ComplianceReport& report);

// Writes the report as an A4 PDF through a temporary file renamed at the end, so a failure leaves
// any earlier file whole. False with the reason in `error` (French).
bool WriteComplianceReportPdf(const ComplianceReport& report, const QString& fileName, QString& error);
