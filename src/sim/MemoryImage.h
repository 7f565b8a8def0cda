#pragma once

#include "core/store/DataStore.h"

#include <QByteArray>

// The device memory rebuilt from a data set: what a QLV 40 holding that data would send. Used by
// the device emulator; the inverse of the decoding of a transfer.

// The byte the device stores for a decoded value: BCD for 0..99, 0x9A..0x9F for 100..105, the value
// itself for 160..255. No byte decodes to 106..159 or to a negative value; those become 0xFF.
quint8 EncodeBcd(int16_t value);
// A raw cell as its byte; a value outside 0..255 becomes 0xFF.
quint8 EncodeRaw(int16_t value);

QByteArray EncodeGeneration3Dump(const DeviceData& data);       // reply to 0x01, 65536 bytes
QByteArray EncodeGeneration3ParamReply(const DeviceData& data); // reply to 0x03, 514 bytes
QByteArray EncodeGeneration5Dump(const DeviceData& data);       // reply to 0x01, 133632 bytes
