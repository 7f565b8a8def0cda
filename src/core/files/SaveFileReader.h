#pragma once

#include "core/store/DataStore.h"

#include <QByteArray>

// Why the bytes of a save file were refused; each reason has its own message.
enum class SaveFileFault { None, Header, Data, TransferField };

// Nothing past this many bytes can belong to an acceptable file, so a huge file picked by mistake
// is never read whole into memory.
constexpr qint64 kMostSaveFileBytes = 1 << 20;

// Reads the bytes of a save file into `data` and gives the generation its header names (3 or 5).
// The values must stand on the lines the format puts them on, each line holding exactly its number
// of values; line ends may be CR LF, LF or CR alone, as file transfers and editors leave them.
// On a fault `data` holds whatever was read so far: read into a scratch copy.
SaveFileFault ReadSaveFileBytes(const QByteArray& bytes, DeviceData& data, int& generation);
