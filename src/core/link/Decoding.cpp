#include "core/link/Decoding.h"

#include "core/store/Validity.h"

#include <algorithm>
#include <numeric>
#include <vector>

using namespace DeviceMemory;

bool IsBcdColumn(RecordKind kind, int column) {
    switch (kind) {
    case RecordKind::Leq:
        return column >= 1 && column <= 8;
    case RecordKind::Event:
        return column >= 1 && column <= 6;
    case RecordKind::ParamChange:
        return (column >= 1 && column <= 6) || (column >= 9 && column <= 48);
    }
    return false;
}

bool IsBcdParamCell(int generation, int cell) {
    if (generation == 3) return cell >= 0 && cell <= 511;
    return cell >= 2047 && cell <= 2559;
}

int16_t DecodeBcd(quint8 byte) {
    if (byte >= 160) return byte;
    return static_cast<int16_t>(byte - 6 * (byte >> 4));
}

int LeqRecordCount(int generation) {
    return generation == 3 ? kGen3LeqRows : kGen5LeqRows;
}

namespace {

quint8 byteAt(const QByteArray& bytes, qsizetype offset) {
    return offset >= 0 && offset < bytes.size() ? static_cast<quint8>(bytes[offset]) : 0xFF;
}

// A tick (after the pending events) each time the 1-based number is a multiple of every.
bool tickPoint(WorkMonitor& monitor, int number, int every) {
    if (number % every == 0) {
        monitor.processEvents();
        monitor.progressTick();
    }
    return !monitor.abortRequested();
}

template <class Table>
bool decodeRows(Table& table, RecordKind kind, const QByteArray& bytes, qsizetype offset, int rows,
                int tickEvery, WorkMonitor& monitor) {
    constexpr int cols = Table::columnCount;
    for (int row = 1; row <= rows; ++row) {
        int16_t* cells = table.rowData(row);
        const qsizetype base = offset + static_cast<qsizetype>(row - 1) * cols;
        for (int col = 1; col <= cols; ++col) {
            const quint8 b = byteAt(bytes, base + col - 1);
            cells[col - 1] = IsBcdColumn(kind, col) ? DecodeBcd(b) : b;
        }
        if (!tickPoint(monitor, row, tickEvery)) return false;
    }
    return true;
}

// Sort key of a row: year, month, day, hour, minute, one byte each. After the validity pass every
// date cell is 0..255 (an invalid row is all 255), so the bytes never overlap.
template <class Table> std::uint64_t dateKey(const Table& table, int row) {
    const int16_t* c = table.rowData(row);
    auto b = [](int16_t v) { return static_cast<std::uint64_t>(static_cast<quint8>(v)); };
    return b(c[5]) << 32 | b(c[4]) << 24 | b(c[2]) << 16 | b(c[1]) << 8 | b(c[0]);
}

template <class Table, class IsValid>
bool classify(Table& table, int rowCount, IsValid isValid, WorkMonitor& monitor) {
    constexpr int cols = Table::columnCount;
    const int n = std::clamp(rowCount, 0, Table::rowCount);
    for (int row = 1; row <= n; ++row)
        if (!isValid(table, row)) table.fillRow(row, 255);

    std::vector<std::uint64_t> keys(static_cast<std::size_t>(n));
    std::vector<int> order(static_cast<std::size_t>(n));
    std::vector<int16_t> sorted(static_cast<std::size_t>(n) * cols);
    // Pass k orders the rows by the first k fields of (year, month, day, hour, minute), as the device
    // software's five selection-sort passes did; a stable sort gives that order in O(n log n).
    for (int pass = 1; pass <= 5; ++pass) {
        const int shift = 8 * (5 - pass);
        for (int row = 1; row <= n; ++row)
            keys[static_cast<std::size_t>(row - 1)] = dateKey(table, row) >> shift;
        std::iota(order.begin(), order.end(), 0);
        std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
            return keys[static_cast<std::size_t>(a)] < keys[static_cast<std::size_t>(b)];
        });
        if (n > 0) {
            for (int i = 0; i < n; ++i)
                std::copy_n(table.rowData(order[static_cast<std::size_t>(i)] + 1), cols,
                            sorted.begin() + static_cast<std::ptrdiff_t>(i) * cols);
            std::copy(sorted.begin(), sorted.end(), table.rowData(1));
        }
        // The progress of the pass: a tick every 512 rows of the outer loop (1..n-1), then one at its end.
        for (int i = kTickRows; i <= n - 1; i += kTickRows) {
            monitor.processEvents();
            if (monitor.abortRequested()) return false;
            monitor.progressTick();
        }
        monitor.processEvents();
        if (monitor.abortRequested()) return false;
        monitor.progressTick();
    }
    return true;
}

} // namespace

bool DecodeGeneration3(const QByteArray& dump, const QByteArray& paramReply, DeviceData& data,
                       WorkMonitor& monitor) {
    if (!decodeRows(data.Leq_Records, RecordKind::Leq, dump, 0, kGen3LeqRows, kTickRows, monitor))
        return false;
    if (!decodeRows(data.Event_Records, RecordKind::Event, dump, kGen3EventOffset, kEventRows, kTickRows,
                    monitor))
        return false;
    for (int cell = 0; cell < kGen3ParamReplySize; ++cell) {
        const quint8 b = byteAt(paramReply, cell);
        data.Param_Block_V3[cell] = IsBcdParamCell(3, cell) ? DecodeBcd(b) : b;
        if (!tickPoint(monitor, cell + 1, kTickRows)) return false;
    }
    for (int cell = 0; cell < kParamZoneSize; ++cell) {
        data.Param_Block[cell] = 255;
        if (!tickPoint(monitor, cell + 1, kTickRows)) return false;
    }
    // The generation-3 zone sits where generation 5 keeps its thresholds, so every reader finds them
    // in the same cells; its two option bytes go where generation 5 has them.
    for (int cell = 0; cell < 512; ++cell)
        data.Param_Block[2048 + cell] = data.Param_Block_V3[cell];
    data.Param_Block[6] = data.Param_Block_V3[512];
    data.Param_Block[7] = data.Param_Block_V3[513];
    return true;
}

bool DecodeGeneration5(const QByteArray& dump, DeviceData& data, WorkMonitor& monitor) {
    if (!decodeRows(data.Leq_Records, RecordKind::Leq, dump, 0, kGen5LeqRows, kTickRows, monitor))
        return false;
    if (!decodeRows(data.Event_Records, RecordKind::Event, dump, kGen5EventOffset, kEventRows, kTickRows,
                    monitor))
        return false;
    if (!decodeRows(data.Param_Change_Records, RecordKind::ParamChange, dump, kGen5ParamChangeOffset,
                    kParamChangeRows, kParamChangeTickRows, monitor))
        return false;
    for (int cell = 0; cell < kParamZoneSize; ++cell) {
        const quint8 b = byteAt(dump, kGen5ParamZoneOffset + cell);
        data.Param_Block[cell] = IsBcdParamCell(5, cell) ? DecodeBcd(b) : b;
        if (!tickPoint(monitor, cell + 1, kTickRows)) return false;
    }
    return true;
}

bool ClassifyLeqRecords(DeviceData& data, int rowCount, WorkMonitor& monitor) {
    return classify(data.Leq_Records, rowCount, isValidLevelOrEventRow<LeqTable>, monitor);
}

bool ClassifyEventRecords(DeviceData& data, WorkMonitor& monitor) {
    return classify(data.Event_Records, kEventRows, isValidLevelOrEventRow<EventTable>, monitor);
}

bool ClassifyParamChanges(DeviceData& data, WorkMonitor& monitor) {
    return classify(data.Param_Change_Records, kParamChangeRows, isValidParamChangeRow, monitor);
}

bool DecodeAndClassify(int generation, const QByteArray& dump, const QByteArray& paramReply, DeviceData& data,
                       WorkMonitor& monitor) {
    if (generation == 3) {
        return DecodeGeneration3(dump, paramReply, data, monitor) &&
               ClassifyLeqRecords(data, kGen3LeqRows, monitor) && ClassifyEventRecords(data, monitor);
    }
    return DecodeGeneration5(dump, data, monitor) && ClassifyLeqRecords(data, kGen5LeqRows, monitor) &&
           ClassifyEventRecords(data, monitor) && ClassifyParamChanges(data, monitor);
}
