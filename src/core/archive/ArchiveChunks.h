#pragma once

#include "core/archive/Archive.h"

#include <QDate>
#include <QString>
#include <functional>

// Days of an archived device too many for one memory image (months of them) are read as a row of
// images of a few whole days each, in order. Every record stamped on first..last is in exactly one of
// them between its chunkFirst and chunkLast (an image also holds the morning after its last day, which
// the next image gives again). All of them come from one state of the archive.
// Each image carries the parameter zone and transfer date of the whole period's end, as one load of
// the whole period would, so figures that depend on them do not change from one image to the next.
using PeriodChunkVisitor =
    std::function<void(const DataStore& chunk, const QDate& chunkFirst, const QDate& chunkLast)>;

// The French reason when a day cannot be read (a day alone fuller than the store, an archive that
// fails); visit has then seen the chunks before it.
ArchiveStatus ForEachPeriodChunk(Archive& archive, qint64 deviceId, const QDate& first, const QDate& last,
                                 const PeriodChunkVisitor& visit, int chunkDays = 7);
