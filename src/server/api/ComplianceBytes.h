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

// The report of a venue over the devices it had on those nights (see ArchiveVenueCompliance.h): the very
// bytes `vorl-cli compliance --venue ID` writes, named conformite-lieu-<id>-<from>-<to>.
struct VenueComplianceAnswer {
    bool noDevice = false; // the venue had no device on any night of the period
    QString refusal;       // why its nights cannot be reported together (French); empty when they can
    ComplianceBytes bytes;
};
ArchiveResult<VenueComplianceAnswer> venueComplianceReportBytes(Archive& archive, qint64 venueId,
                                                                const ComplianceRequest& request);
