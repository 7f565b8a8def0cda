#include "core/archive/ArchiveChunks.h"

#include <algorithm>
#include <memory>

ArchiveStatus ForEachPeriodChunk(Archive& archive, qint64 deviceId, const QDate& first, const QDate& last,
                                 const PeriodChunkVisitor& visit, int chunkDays) {
    const auto fail = [](const QString& why) { return ArchiveStatus::failure(why); };
    // One state of the archive for every chunk: an import meanwhile neither cuts nor doubles a day.
    const Archive::Snapshot snapshot(archive);
    if (!snapshot.status()) return fail(snapshot.status().error());
    // The zone and transfer date depend only on the period's end: its last day alone gives them.
    const auto end = archive.loadPeriod(deviceId, last, last);
    if (!end) return fail(end.error());

    auto store = std::make_unique<DataStore>();
    for (QDate from = first; from <= last;) {
        // A week louder than the store holds is read in the shorter chunks that fit.
        const auto fits =
            archive.longestLoadable(deviceId, from, std::min(last, from.addDays(std::max(1, chunkDays) - 1)));
        if (!fits) return fail(fits.error());
        const QDate to = std::max(from, *fits);
        auto chunk = archive.loadPeriod(deviceId, from, to);
        if (!chunk) return fail(chunk.error());
        chunk->data.Param_Block = end->data.Param_Block;
        chunk->data.Param_Block_V3 = end->data.Param_Block_V3;
        chunk->data.Transfer_Date = end->data.Transfer_Date;
        chunk->data.Transfer_Time = end->data.Transfer_Time;
        store->commitPeriod(std::move(chunk->data), from, to);
        store->Device_Version = static_cast<int16_t>(chunk->generation);
        visit(*store, from, to);
        from = to.addDays(1);
    }
    return ArchiveOk();
}
