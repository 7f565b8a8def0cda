#pragma once

#include "core/archive/Archive.h"
#include "core/archive/ArchiveResult.h"

#include <QByteArray>
#include <QDate>

// Days first..last of a device as the bytes of a save file every command can read, for the caller
// to write where the user asked (a file, through the checked writer, or standard output).
ArchiveResult<QByteArray> ExtractPeriodBytes(Archive& archive, qint64 deviceId, const QDate& first,
                                             const QDate& last);
