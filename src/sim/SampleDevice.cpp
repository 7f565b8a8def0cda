#include "sim/SampleDevice.h"

#include "core/link/Decoding.h"

#include <QDateTime>
#include <QRandomGenerator>
#include <algorithm>
#include <vector>

using namespace DeviceMemory;

namespace {

template <class Table> void setDate(Table& table, int row, const QDateTime& when) {
    table(row, 1) = static_cast<int16_t>(when.time().minute());
    table(row, 2) = static_cast<int16_t>(when.time().hour());
    table(row, 3) = static_cast<int16_t>(when.date().day());
    table(row, 5) = static_cast<int16_t>(when.date().month());
    table(row, 6) = static_cast<int16_t>(when.date().year() - 2000);
}

template <class Table> void shuffleRows(Table& table, int rows, QRandomGenerator& rng) {
    for (int i = rows; i > 1; --i) {
        const int j = 1 + static_cast<int>(rng.bounded(i));
        if (i == j) continue;
        for (int c = 1; c <= Table::columnCount; ++c)
            std::swap(table(i, c), table(j, c));
    }
}

} // namespace

DeviceData MakeSampleDevice(const SampleOptions& options) {
    DeviceData data;
    QRandomGenerator rng(options.seed);
    const bool gen3 = options.generation == 3;
    const int leqRows = LeqRecordCount(options.generation);
    const QDateTime start(QDate(2007, 3, 5), QTime(12, 0));

    // Level records.
    const int usedLeq = std::clamp(static_cast<int>(leqRows * options.fill), 0, leqRows);
    QDateTime when = start;
    for (int row = 1; row <= leqRows; ++row) {
        if (row > usedLeq) {
            data.Leq_Records.fillRow(row, 255);
            continue;
        }
        const bool leq1 = !gen3 && rng.bounded(4) == 0;
        when = when.addSecs(leq1 ? 60 : 600 - (when.time().minute() % 10) * 60);
        setDate(data.Leq_Records, row, when);
        const int level = 45 + static_cast<int>(rng.bounded(62)); // 45..106 dB
        data.Leq_Records(row, 4) = static_cast<int16_t>(gen3 ? 0 : (leq1 ? 1 : 10));
        if (gen3) {
            data.Leq_Records(row, 7) = static_cast<int16_t>(level / 100);
            data.Leq_Records(row, 8) = static_cast<int16_t>(level % 100);
        } else {
            data.Leq_Records(row, 7) = static_cast<int16_t>(level % 100);
            data.Leq_Records(row, 8) = static_cast<int16_t>(level / 100);
        }
    }

    // Event log: one event byte of the two is set.
    const int usedEvents = std::clamp(static_cast<int>(kEventRows * options.fill / 4), 0, kEventRows);
    when = start;
    for (int row = 1; row <= kEventRows; ++row) {
        if (row > usedEvents) {
            data.Event_Records.fillRow(row, 255);
            continue;
        }
        when = when.addSecs(qint64{60} * (1 + static_cast<int>(rng.bounded(240))));
        setDate(data.Event_Records, row, when);
        data.Event_Records(row, 4) = static_cast<int16_t>(rng.bounded(8));
        const int code = 1 + static_cast<int>(rng.bounded(20));
        const bool inSecondByte = rng.bounded(3) == 0;
        data.Event_Records(row, 7) = static_cast<int16_t>(inSecondByte ? 0 : code);
        data.Event_Records(row, 8) = static_cast<int16_t>(inSecondByte ? code : 0);
    }

    if (gen3) {
        for (int cell = 0; cell < 512; ++cell)
            data.Param_Block_V3[cell] = static_cast<int16_t>(rng.bounded(100));
        data.Param_Block_V3[512] = static_cast<int16_t>(rng.bounded(256));
        data.Param_Block_V3[513] = static_cast<int16_t>(rng.bounded(256));
        // Day threshold 95 dB, night 85 dB, day ends at 22 h, night ends at 7 h.
        const int v3[][2] = {{128, 0},  {129, 95}, {130, 0},  {131, 90}, {132, 0},
                             {133, 85}, {134, 0},  {135, 80}, {139, 22}, {141, 7}};
        for (const auto& [cell, value] : v3)
            data.Param_Block_V3[cell] = static_cast<int16_t>(value);
        data.Param_Block.fill(255);
        for (int cell = 0; cell < 512; ++cell)
            data.Param_Block[2048 + cell] = data.Param_Block_V3[cell];
        data.Param_Block[6] = data.Param_Block_V3[512];
        data.Param_Block[7] = data.Param_Block_V3[513];
    } else {
        const int usedChanges =
            std::clamp(static_cast<int>(kParamChangeRows * options.fill / 8), 0, kParamChangeRows);
        when = start;
        for (int row = 1; row <= kParamChangeRows; ++row) {
            if (row > usedChanges) {
                data.Param_Change_Records.fillRow(row, 255);
                continue;
            }
            when = when.addSecs(qint64{3600} * (1 + static_cast<int>(rng.bounded(48))));
            setDate(data.Param_Change_Records, row, when);
            data.Param_Change_Records(row, 4) = static_cast<int16_t>(rng.bounded(100));
            data.Param_Change_Records(row, 7) = static_cast<int16_t>(rng.bounded(256));
            data.Param_Change_Records(row, 8) = static_cast<int16_t>(rng.bounded(256));
            for (int col = 9; col <= 48; ++col)
                data.Param_Change_Records(row, col) = static_cast<int16_t>(rng.bounded(100));
        }
        for (int cell = 0; cell < 2047; ++cell)
            data.Param_Block[cell] = static_cast<int16_t>(rng.bounded(256));
        for (int cell = 2047; cell < kParamZoneSize; ++cell)
            data.Param_Block[cell] = static_cast<int16_t>(rng.bounded(100));
        const int zone[][2] = {{160, 5},  {161, 4},   {2176, 0},  {2177, 95}, {2178, 0},  {2179, 90},
                               {2180, 0}, {2181, 85}, {2182, 0},  {2183, 80}, {2186, 1},  {2187, 2},
                               {2188, 1}, {2189, 5},  {2191, 22}, {2193, 7},  {2360, 12}, {2361, 34},
                               {2362, 5}, {2363, 6},  {2364, 0},  {2365, 1},  {2366, 2},  {2367, 3}};
        for (const auto& [cell, value] : zone)
            data.Param_Block[cell] = static_cast<int16_t>(value);
        data.Transfer_Date = QStringLiteral("05/04/2007");
        data.Transfer_Time = QStringLiteral("09:30:00");
    }

    if (options.shuffled) {
        shuffleRows(data.Leq_Records, leqRows, rng);
        shuffleRows(data.Event_Records, kEventRows, rng);
        if (!gen3) shuffleRows(data.Param_Change_Records, kParamChangeRows, rng);
    }
    return data;
}
