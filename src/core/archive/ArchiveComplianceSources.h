#pragma once

#include "core/archive/Archive.h"
#include "core/compliance/ComplianceReport.h"

#include <QDate>
#include <vector>

// The archived downloads a compliance report of the nights from..to rests on: those whose coverage
// meets noon of `from` to noon of the day after `to`, in order.
ArchiveResult<std::vector<ReportSource>> ArchivedReportSources(Archive& archive, qint64 deviceId,
                                                               const QDate& from, const QDate& to);
