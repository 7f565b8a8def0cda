#include "core/archive/ArchiveExtract.h"

#include "core/files/SaveFile.h"

#include <memory>

ArchiveResult<QByteArray> ExtractPeriodBytes(Archive& archive, qint64 deviceId, const QDate& first,
                                             const QDate& last) {
    LoadedPeriod period = archive.loadPeriod(deviceId, first, last);
    if (!period.ok) return ArchiveResult<QByteArray>::failure(period.error);
    auto store = std::make_unique<DataStore>();
    store->commit(std::move(period.data));
    store->Device_Version = static_cast<int16_t>(period.generation);
    return SaveFileContent(*store, period.generation, period.generation == 3 ? 4096 : LeqTable::rowCount);
}
