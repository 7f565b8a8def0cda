#include "core/archive/ArchiveExtract.h"

#include "core/files/SaveFile.h"

#include <memory>

ArchiveResult<QByteArray> ExtractPeriodBytes(Archive& archive, qint64 deviceId, const QDate& first,
                                             const QDate& last) {
    auto loaded = archive.loadPeriod(deviceId, first, last);
    if (!loaded) return ArchiveResult<QByteArray>::failure(loaded.error());
    LoadedPeriod period = std::move(loaded).value();
    auto store = std::make_unique<DataStore>();
    store->commitPeriod(std::move(period.data), first, last);
    store->Device_Version = static_cast<int16_t>(period.generation);
    return SaveFileContent(*store, period.generation, period.generation == 3 ? 4096 : LeqTable::rowCount);
}
