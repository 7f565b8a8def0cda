#pragma once

#include "core/archive/Archive.h"
#include "core/compliance/ComplianceInput.h"
#include "core/compliance/ComplianceReport.h"

#include <QDate>
#include <QString>
#include <vector>

// The days of the period a venue had one device: nights first..last, both included.
struct VenueStretch {
    qint64 deviceId = 0;
    QString serial;
    QDate first, last;
};

// What a compliance report of a venue rests on: the nights of each device it had, joined in one input.
struct VenueComplianceData {
    std::vector<VenueStretch> stretches; // in order; empty: the venue had no device over the period
    ComplianceInput input;
    std::vector<ReportSource> sources;
    // Why the nights cannot be judged as one report (French); empty when they can. The input is then
    // left empty.
    QString refusal;
};

// The compliance input of a venue for the nights from..to. The night of day D (noon of D to noon of
// D + 1) is judged on the records of the device the venue had on day D: each device's records, events
// and coverage are kept to the noons that bound its nights, what it recorded elsewhere counts nowhere,
// and a night with no device at the venue is unknown time. When one device covers the whole period the
// input is that device's own (ComplianceInputFromArchive).
//
// Where one device follows another and both know the minute the second one arrives, that minute is
// left unknown: the two devices' ten-minute levels do not share one grid, and a block of one device's
// grid lying across the change would pass for one without a level over 70 dB.
//
// Refused (with the reason): a day on which the venue had two devices, devices of different
// generations (their records do not prove the same things).
ArchiveResult<VenueComplianceData> VenueComplianceFromArchive(Archive& archive, qint64 venueId,
                                                              const QDate& from, const QDate& to);
