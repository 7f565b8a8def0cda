#pragma once

#include "core/archive/ArchiveResult.h"
#include "server/api/ComplianceRequest.h"

class Archive;

// A compliance report of an archived device as the API sends it: the very bytes `vorl-cli compliance
// --device ID` writes for the same records (CSV, JSON, text), or the PDF of the window's report.
struct ComplianceBytes {
    QByteArray body;
    QByteArray contentType;
    QString fileName;
};
ArchiveResult<ComplianceBytes> complianceReportBytes(Archive& archive, qint64 deviceId, const QString& serial,
                                                     const ComplianceRequest& request);
