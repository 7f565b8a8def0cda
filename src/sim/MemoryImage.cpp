#include "sim/MemoryImage.h"

#include "core/link/Decoding.h"

using namespace DeviceMemory;

quint8 EncodeBcd(int16_t value) {
    if (value >= 0 && value <= 99) return static_cast<quint8>((value / 10) << 4 | (value % 10));
    if (value >= 100 && value <= 105) return static_cast<quint8>(0x9A + value - 100);
    if (value >= 160 && value <= 255) return static_cast<quint8>(value);
    return 0xFF;
}

quint8 EncodeRaw(int16_t value) {
    return value >= 0 && value <= 255 ? static_cast<quint8>(value) : 0xFF;
}

namespace {

template <class Table> void appendRows(QByteArray& out, const Table& table, RecordKind kind, int rows) {
    for (int row = 1; row <= rows; ++row)
        for (int col = 1; col <= Table::columnCount; ++col) {
            const int16_t v = table(row, col);
            out.append(static_cast<char>(IsBcdColumn(kind, col) ? EncodeBcd(v) : EncodeRaw(v)));
        }
}

} // namespace

QByteArray EncodeGeneration3Dump(const DeviceData& data) {
    QByteArray out;
    out.reserve(kGen3DumpSize);
    appendRows(out, data.Leq_Records, RecordKind::Leq, kGen3LeqRows);
    appendRows(out, data.Event_Records, RecordKind::Event, kEventRows);
    return out;
}

QByteArray EncodeGeneration3ParamReply(const DeviceData& data) {
    QByteArray out;
    out.reserve(kGen3ParamReplySize);
    for (int cell = 0; cell < kGen3ParamReplySize; ++cell) {
        const int16_t v = data.Param_Block_V3[cell];
        out.append(static_cast<char>(IsBcdParamCell(3, cell) ? EncodeBcd(v) : EncodeRaw(v)));
    }
    return out;
}

QByteArray EncodeGeneration5Dump(const DeviceData& data) {
    QByteArray out;
    out.reserve(kGen5DumpSize);
    appendRows(out, data.Leq_Records, RecordKind::Leq, kGen5LeqRows);
    appendRows(out, data.Event_Records, RecordKind::Event, kEventRows);
    appendRows(out, data.Param_Change_Records, RecordKind::ParamChange, kParamChangeRows);
    out.append(QByteArray(kGen5ParamZoneOffset - kGen5UnusedOffset, static_cast<char>(0xFF)));
    for (int cell = 0; cell < kParamZoneSize; ++cell) {
        const int16_t v = data.Param_Block[cell];
        out.append(static_cast<char>(IsBcdParamCell(5, cell) ? EncodeBcd(v) : EncodeRaw(v)));
    }
    return out;
}
