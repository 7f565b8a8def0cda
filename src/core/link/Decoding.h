#pragma once

#include "core/store/DataStore.h"

#include <QByteArray>
#include <cstdint>

// Layout of the device memory as it arrives on the line.
namespace DeviceMemory {
constexpr int kRecordBytes = 8;
constexpr int kParamChangeBytes = 48;

constexpr int kGen3DumpSize = 65536; // 4096 level records, then 4096 event records
constexpr int kGen3EventOffset = 32768;
constexpr int kGen3ParamReplySize = 514; // 512 bytes of parameter zone and two option bytes
constexpr int kGen3LeqRows = 4096;

constexpr int kGen5DumpSize = 133632;
constexpr int kGen5EventOffset = 65536;
constexpr int kGen5ParamChangeOffset = 98304;
constexpr int kGen5UnusedOffset = 131040; // 32 bytes the device does not use
constexpr int kGen5ParamZoneOffset = 131072;
constexpr int kGen5LeqRows = 8192;

constexpr int kEventRows = 4096;
constexpr int kParamChangeRows = 682;
constexpr int kParamZoneSize = 2560;

// One progress tick per this many decoded rows or cells (parameter changes: per 85 rows).
constexpr int kTickRows = 512;
constexpr int kParamChangeTickRows = 85;
} // namespace DeviceMemory

enum class RecordKind { Leq, Event, ParamChange };

// Dates and levels are BCD-coded by the device; codes and raw option bytes are not.
bool IsBcdColumn(RecordKind kind, int column);
bool IsBcdParamCell(int generation, int cell); // cell of Param_Block (gen 5) or Param_Block_V3 (gen 3)

// BCD rule of the device software: 0x00..0x99 give 10 x high nibble + low nibble; the bytes above keep
// that arithmetic per row of sixteen (0x9F gives 105) up to 0x9F, and 0xA0..0xFF are kept as they are.
int16_t DecodeBcd(quint8 byte);

// Number of level records a generation keeps (4096 for 3, 8192 for 5).
int LeqRecordCount(int generation);

// Lets a long decoding or sort show progress and be cancelled: events run, ticks advance the
// progress window, and an abort request ends the work early.
class WorkMonitor {
public:
    virtual ~WorkMonitor() = default;
    virtual void processEvents() {}
    virtual void progressTick() {}
    virtual bool abortRequested() const { return false; }
};

// Decode the received bytes into the record tables and the parameter zone, with a tick every 512
// rows or cells. A short buffer reads as erased memory (0xFF). Rows beyond the generation's record
// count are left as they were. Return false when aborted (the tables are then partly written).
bool DecodeGeneration3(const QByteArray& dump, const QByteArray& paramReply, DeviceData& data,
                       WorkMonitor& monitor);
bool DecodeGeneration5(const QByteArray& dump, DeviceData& data, WorkMonitor& monitor);

// Marks the rows with an impossible date (all cells 255), then sorts the rows by (year, month, day,
// hour, minute), invalid rows last. The order comes out as five passes on a growing key would give
// it, with the same ticks (one per 512 rows and one per pass); each pass is a stable sort. Return
// false when aborted (the table is then partly sorted).
bool ClassifyLeqRecords(DeviceData& data, int rowCount, WorkMonitor& monitor);
bool ClassifyEventRecords(DeviceData& data, WorkMonitor& monitor);
bool ClassifyParamChanges(DeviceData& data, WorkMonitor& monitor);

// The whole job after a transfer: decoding, then the sorts of the generation.
bool DecodeAndClassify(int generation, const QByteArray& dump, const QByteArray& paramReply, DeviceData& data,
                       WorkMonitor& monitor);
