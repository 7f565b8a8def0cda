#include "core/archive/ArchiveExport.h"

#include "core/archive/ArchiveChunks.h"

#include <memory>

ArchiveResult<ExportTable> ArchivedExport(Archive& archive, qint64 deviceId, ExportWhat what, QDate first,
                                          QDate last) {
    ExportTable table;
    table.columns = BuildExport(*std::make_unique<DataStore>(), what).columns;
    if (!first.isValid() || !last.isValid()) {
        auto devices = archive.devices();
        if (!devices) return ArchiveResult<ExportTable>::failure(devices.error());
        for (const ArchivedDevice& device : *devices) {
            if (device.id != deviceId) continue;
            if (!first.isValid()) first = device.firstRecord.date();
            if (!last.isValid()) last = device.lastRecord.date();
        }
    }
    if (!first.isValid() || !last.isValid() || first > last) return table;
    bool firstChunk = true;
    const ArchiveStatus read =
        ForEachPeriodChunk(archive, deviceId, first, last,
                           [&](const DataStore& chunk, const QDate& chunkFirst, const QDate& chunkLast) {
                               ExportTable part = BuildExport(chunk, what, {chunkFirst, chunkLast});
                               // Each chunk repeats the parameters in force at its end: they are listed once.
                               if (what == ExportWhat::Parameters && !firstChunk && !part.rows.isEmpty())
                                   part.rows.removeFirst();
                               table.rows += part.rows;
                               firstChunk = false;
                           });
    if (!read) return ArchiveResult<ExportTable>::failure(read.error());
    return table;
}
