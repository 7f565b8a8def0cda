#pragma once

#include "core/archive/Archive.h"
#include "core/compliance/ComplianceInput.h"

#include <QDate>
#include <QString>
#include <optional>

// The compliance input of an archived device for the nights from..to (noon of `from` to noon of the
// day after `to`), whatever their number: the archive is read a week at a time and the weeks are
// joined, so the memory held is that of the records themselves. The stretches no download covers are
// unknown time. The reason in French when the archive cannot be read.
ArchiveResult<ComplianceInput> ComplianceInputFromArchive(Archive& archive, qint64 deviceId,
                                                          const QDate& from, const QDate& to);
