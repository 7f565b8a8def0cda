#pragma once

#include "core/archive/Archive.h"
#include "core/stats/Export.h"

// The export table of an archived device's days first..last (levels, events or parameters), read a week
// at a time and joined: the same rows as one save file holding them all. Null dates: every day the
// device has records for.
ArchiveResult<ExportTable> ArchivedExport(Archive& archive, qint64 deviceId, ExportWhat what, QDate first,
                                          QDate last);
