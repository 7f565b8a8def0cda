#pragma once

#include "core/archive/Archive.h"
#include "core/compliance/ComplianceNights.h"

#include <QDate>
#include <vector>

// The verdict of each night from..to of an archived device, for the coverage calendar: each night
// against the legal preset of its weighting, judged by the compliance report's own code on the
// archive's records (JudgeNights on ComplianceInputFromArchive, with the next night's records that its
// last windows read). Verdicts are kept in the archive under the key of the downloads each night rests
// on: an import that touches a night changes its key, and the night is judged again the next time it is
// asked for; the others are read back. A verdict that cannot be kept (an archive read-only or found
// damaged) is simply not kept. Reports never read these: they always compute.
ArchiveResult<std::vector<JudgedNight>> ArchivedNightVerdicts(Archive& archive, qint64 deviceId,
                                                              const QDate& from, const QDate& to);
