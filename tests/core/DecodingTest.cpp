#include "core/link/Decoding.h"
#include "core/store/Validity.h"
#include "sim/MemoryImage.h"
#include "sim/SampleDevice.h"
#include "support/SelectionSort.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <tuple>
#include <vector>

using namespace DeviceMemory;

namespace {

struct CountingMonitor : WorkMonitor {
    int ticks = 0;
    int events = 0;
    int abortAtTick = -1; // the abort request arrives with the events that follow this tick
    bool abort = false;
    void processEvents() override {
        ++events;
        if (abortAtTick >= 0 && ticks >= abortAtTick) abort = true;
    }
    void progressTick() override { ++ticks; }
    bool abortRequested() const override { return abort; }
};

TEST(Decoding, BcdRule) {
    const std::pair<int, int> cases[] = {{0x00, 0},   {0x09, 9},   {0x0A, 10},  {0x10, 10},  {0x1A, 20},
                                         {0x59, 59},  {0x99, 99},  {0x9A, 100}, {0x9F, 105}, {0xA0, 160},
                                         {0xC3, 195}, {0xFE, 254}, {0xFF, 255}};
    for (const auto& [byte, value] : cases)
        EXPECT_EQ(DecodeBcd(static_cast<quint8>(byte)), value) << byte;
}

TEST(Decoding, EncodingIsTheInverseWhereOneExists) {
    for (int v = 0; v <= 255; ++v) {
        const bool encodable = v <= 105 || v >= 160;
        if (encodable)
            EXPECT_EQ(DecodeBcd(EncodeBcd(static_cast<int16_t>(v))), v) << v;
        else
            EXPECT_EQ(EncodeBcd(static_cast<int16_t>(v)), 0xFF) << v;
    }
    EXPECT_EQ(EncodeBcd(-1), 0xFF);
    EXPECT_EQ(EncodeRaw(300), 0xFF);
}

// Which bytes of each table are BCD: a byte 0x15 decodes to 15 there and stays 21 elsewhere.
TEST(Decoding, BcdAndRawCellsPerTable) {
    QByteArray dump5(kGen5DumpSize, static_cast<char>(0x15));
    DeviceData data;
    CountingMonitor monitor;
    ASSERT_TRUE(DecodeGeneration5(dump5, data, monitor));
    struct Case {
        const char* what;
        int value;
        int expected;
    };
    const Case cases5[] = {
        {"leq column 1", data.Leq_Records(1, 1), 15},
        {"leq column 8", data.Leq_Records(8192, 8), 15},
        {"event column 6", data.Event_Records(4096, 6), 15},
        {"event column 7", data.Event_Records(1, 7), 21},
        {"event column 8", data.Event_Records(1, 8), 21},
        {"change column 7", data.Param_Change_Records(1, 7), 21},
        {"change column 8", data.Param_Change_Records(682, 8), 21},
        {"change column 9", data.Param_Change_Records(1, 9), 15},
        {"change column 48", data.Param_Change_Records(682, 48), 15},
        {"zone cell 0", data.Param_Block[0], 21},
        {"zone cell 2046", data.Param_Block[2046], 21},
        {"zone cell 2047", data.Param_Block[2047], 15},
        {"zone cell 2559", data.Param_Block[2559], 15},
    };
    for (const Case& c : cases5)
        EXPECT_EQ(c.value, c.expected) << c.what;

    DeviceData data3;
    data3.Leq_Records(4097, 1) = 7; // beyond the generation-3 rows: left alone
    QByteArray reply(kGen3ParamReplySize, static_cast<char>(0x15));
    reply[512] = static_cast<char>(0x42);
    reply[513] = static_cast<char>(0x43);
    ASSERT_TRUE(DecodeGeneration3(QByteArray(kGen3DumpSize, static_cast<char>(0x15)), reply, data3, monitor));
    const Case cases3[] = {
        {"leq row 4096", data3.Leq_Records(4096, 8), 15},
        {"leq row 4097 untouched", data3.Leq_Records(4097, 1), 7},
        {"event column 7", data3.Event_Records(1, 7), 21},
        {"v3 cell 511", data3.Param_Block_V3[511], 15},
        {"v3 cell 512", data3.Param_Block_V3[512], 0x42},
        {"v3 cell 513", data3.Param_Block_V3[513], 0x43},
        {"zone cell 0", data3.Param_Block[0], 255},
        {"zone cell 6", data3.Param_Block[6], 0x42},
        {"zone cell 7", data3.Param_Block[7], 0x43},
        {"zone cell 2047", data3.Param_Block[2047], 255},
        {"zone cell 2048", data3.Param_Block[2048], 15},
        {"zone cell 2559", data3.Param_Block[2559], 15},
    };
    for (const Case& c : cases3)
        EXPECT_EQ(c.value, c.expected) << c.what;
}

TEST(Decoding, ShortBufferReadsAsErasedMemory) {
    DeviceData data;
    CountingMonitor monitor;
    ASSERT_TRUE(DecodeGeneration5(QByteArray(10, 0), data, monitor));
    EXPECT_EQ(data.Leq_Records(1, 1), 0);
    EXPECT_EQ(data.Leq_Records(2, 2), 0);
    EXPECT_EQ(data.Leq_Records(2, 3), 255);
    EXPECT_EQ(data.Param_Block[2559], 255);
}

// Row validity: a row with an impossible date (or a level/event byte of 255) ends up all 255 and
// after every valid row; parameter changes only need a valid date.
TEST(Classification, InvalidRowsBecome255AndSortLast) {
    struct Case {
        const char* what;
        int column;
        int value;
        bool validAsLevel;
        bool validAsChange;
    };
    const Case cases[] = {
        {"minute 59", 1, 59, true, true},  {"minute 60", 1, 60, false, false},
        {"hour 24", 2, 24, false, false},  {"day 0", 3, 0, false, false},
        {"day 31", 3, 31, true, true},     {"month 13", 5, 13, false, false},
        {"month 0", 5, 0, false, false},   {"year 98", 6, 98, true, true},
        {"year 99", 6, 99, false, false},  {"kind 255", 4, 255, true, true},
        {"code 255", 7, 255, false, true}, {"argument 255", 8, 255, false, true},
    };
    for (const Case& c : cases) {
        DeviceData data;
        CountingMonitor monitor;
        // Row 1 carries the case and is the earliest; row 2 is a valid later row.
        const int row1[] = {30, 10, 15, 1, 6, 7, 50, 0};
        const int row2[] = {30, 10, 16, 1, 6, 7, 51, 0};
        for (int col = 1; col <= 8; ++col) {
            data.Leq_Records(1, col) = data.Event_Records(1, col) = data.Param_Change_Records(1, col) =
                static_cast<int16_t>(row1[col - 1]);
            data.Leq_Records(2, col) = data.Event_Records(2, col) = data.Param_Change_Records(2, col) =
                static_cast<int16_t>(row2[col - 1]);
        }
        data.Leq_Records(1, c.column) = data.Event_Records(1, c.column) =
            data.Param_Change_Records(1, c.column) = static_cast<int16_t>(c.value);
        ASSERT_TRUE(ClassifyLeqRecords(data, 2, monitor));
        // Rows 3.. of the event and change tables are all zero: invalid (day 0), so they sort last.
        ASSERT_TRUE(ClassifyEventRecords(data, monitor));
        ASSERT_TRUE(ClassifyParamChanges(data, monitor));
        // An invalid row 1 ends as row 2, all 255, behind the valid row 2 (its level byte is 51).
        auto check = [&](const auto& table, bool valid, const char* kind) {
            if (valid) {
                EXPECT_NE(table(1, 6), 255) << c.what << kind;
                EXPECT_NE(table(2, 6), 255) << c.what << kind;
                return;
            }
            EXPECT_EQ(table(1, 7), 51) << c.what << kind;
            for (int col = 1; col <= 8; ++col)
                EXPECT_EQ(table(2, col), 255) << c.what << kind;
        };
        check(data.Leq_Records, c.validAsLevel, " (level)");
        check(data.Event_Records, c.validAsLevel, " (event)");
        check(data.Param_Change_Records, c.validAsChange, " (change)");
        EXPECT_EQ(data.Param_Change_Records(3, 6), 255) << c.what;
    }
}

// The rows in date order, each run of equal timestamps as a sorted list of rows: two tables with the
// same result agree whatever order equal timestamps took.
template <class Table>
std::vector<std::pair<std::uint64_t, std::vector<std::vector<int16_t>>>> runs(const Table& t, int rows) {
    std::vector<std::pair<std::uint64_t, std::vector<std::vector<int16_t>>>> out;
    for (int r = 1; r <= rows; ++r) {
        const std::uint64_t key = (std::uint64_t(quint8(t(r, 6))) << 32) |
                                  (std::uint64_t(quint8(t(r, 5))) << 24) |
                                  (std::uint64_t(quint8(t(r, 3))) << 16) |
                                  (std::uint64_t(quint8(t(r, 2))) << 8) | std::uint64_t(quint8(t(r, 1)));
        if (out.empty() || out.back().first != key) out.push_back({key, {}});
        out.back().second.emplace_back(t.rowData(r), t.rowData(r) + Table::columnCount);
    }
    for (auto& run : out)
        std::sort(run.second.begin(), run.second.end());
    return out;
}

// Random rows over a few days and hours so that equal timestamps are common, with a share of
// impossible values and erased rows.
template <class Table> void randomRows(Table& t, int rows, quint32 seed) {
    QRandomGenerator rng(seed);
    for (int r = 1; r <= rows; ++r) {
        if (rng.bounded(10) == 0) {
            t.fillRow(r, 255);
            continue;
        }
        const int ranges[8][2] = {{0, 62}, {0, 3}, {1, 4}, {0, 256}, {1, 3}, {7, 9}, {0, 256}, {0, 256}};
        for (int c = 1; c <= Table::columnCount; ++c) {
            const auto& range = ranges[std::min(c, 8) - 1];
            t(r, c) = static_cast<int16_t>(range[0] + static_cast<int>(rng.bounded(range[1] - range[0])));
        }
        if (rng.bounded(50) == 0) t(r, 5) = 13;
    }
}

TEST(Classification, SameOrderAsTheFivePassSelectionSort) {
    for (quint32 seed : {1u, 2u, 3u}) {
        DeviceData fast;
        randomRows(fast.Leq_Records, 700, seed);
        randomRows(fast.Event_Records, kEventRows, seed + 10);
        randomRows(fast.Param_Change_Records, kParamChangeRows, seed + 20);
        DeviceData reference = fast;
        CountingMonitor monitor;
        ASSERT_TRUE(ClassifyLeqRecords(fast, 700, monitor));
        ASSERT_TRUE(ClassifyEventRecords(fast, monitor));
        ASSERT_TRUE(ClassifyParamChanges(fast, monitor));
        ReferenceClassify(reference.Leq_Records, 700, isValidLevelOrEventRow<LeqTable>);
        ReferenceClassify(reference.Event_Records, kEventRows, isValidLevelOrEventRow<EventTable>);
        ReferenceClassify(reference.Param_Change_Records, kParamChangeRows, isValidParamChangeRow);
        EXPECT_EQ(runs(fast.Leq_Records, 700), runs(reference.Leq_Records, 700)) << seed;
        EXPECT_EQ(runs(fast.Event_Records, kEventRows), runs(reference.Event_Records, kEventRows)) << seed;
        EXPECT_EQ(runs(fast.Param_Change_Records, kParamChangeRows),
                  runs(reference.Param_Change_Records, kParamChangeRows))
            << seed;
        // Rows past the count are not the sort's business.
        EXPECT_EQ(fast.Leq_Records(701, 1), 0);
    }
}

TEST(Classification, SortIsStableForEqualTimestamps) {
    DeviceData data;
    for (int r = 1; r <= 3; ++r) {
        const int row[] = {5, 4, 3, 0, 2, 1, 40 + r, 0};
        for (int c = 1; c <= 8; ++c)
            data.Leq_Records(r, c) = static_cast<int16_t>(row[c - 1]);
    }
    CountingMonitor monitor;
    ASSERT_TRUE(ClassifyLeqRecords(data, 3, monitor));
    EXPECT_EQ(data.Leq_Records(1, 7), 41);
    EXPECT_EQ(data.Leq_Records(3, 7), 43);
}

// Progress ticks per generation: decoding gives one per 512 rows or cells (85 rows of parameter
// changes); each sort gives one per 512 rows of a pass and one at the end of each of its five passes.
TEST(Classification, ProgressTicksPerGeneration) {
    struct Case {
        int generation;
        int decodeTicks;
        int classifyTicks;
    };
    const Case cases[] = {{3, 8 + 8 + 1 + 5, 5 * (7 + 1) + 5 * (7 + 1)},
                          {5, 16 + 8 + 8 + 5, 5 * (15 + 1) + 5 * (7 + 1) + 5 * (1 + 1)}};
    for (const Case& c : cases) {
        const DeviceData sample = MakeSampleDevice({c.generation, 7, 0.75, true});
        const QByteArray dump =
            c.generation == 3 ? EncodeGeneration3Dump(sample) : EncodeGeneration5Dump(sample);
        const QByteArray reply = c.generation == 3 ? EncodeGeneration3ParamReply(sample) : QByteArray();
        DeviceData data;
        CountingMonitor decodeOnly;
        ASSERT_TRUE(c.generation == 3 ? DecodeGeneration3(dump, reply, data, decodeOnly)
                                      : DecodeGeneration5(dump, data, decodeOnly));
        EXPECT_EQ(decodeOnly.ticks, c.decodeTicks) << c.generation;
        CountingMonitor all;
        ASSERT_TRUE(DecodeAndClassify(c.generation, dump, reply, data, all));
        EXPECT_EQ(all.ticks, c.decodeTicks + c.classifyTicks) << c.generation;
    }
}

// A device's memory comes back from its bytes exactly: encoding then decoding and sorting a
// chronological data set gives it back, for both generations.
TEST(Classification, DecodedShuffledMemoryComesBackInOrder) {
    for (int generation : {3, 5}) {
        SampleOptions options{generation, 11, 0.6, false};
        const DeviceData ordered = MakeSampleDevice(options);
        options.shuffled = true;
        const DeviceData shuffled = MakeSampleDevice(options);
        ASSERT_FALSE(shuffled.Leq_Records == ordered.Leq_Records);
        DeviceData data;
        data.Transfer_Date = ordered.Transfer_Date;
        data.Transfer_Time = ordered.Transfer_Time;
        CountingMonitor monitor;
        const QByteArray dump =
            generation == 3 ? EncodeGeneration3Dump(shuffled) : EncodeGeneration5Dump(shuffled);
        ASSERT_TRUE(
            DecodeAndClassify(generation, dump, EncodeGeneration3ParamReply(shuffled), data, monitor));
        EXPECT_TRUE(data == ordered) << generation;
    }
}

// An abort ends the work at the next tick; during the second sort pass the level records are
// ordered by year only.
TEST(Classification, AbortStopsDecodingAndSorting) {
    const DeviceData sample = MakeSampleDevice({5, 3, 0.9, true});
    const QByteArray dump = EncodeGeneration5Dump(sample);
    for (int abortAt : {1, 20, 37 + 16 + 3}) {
        DeviceData data;
        CountingMonitor monitor;
        monitor.abortAtTick = abortAt;
        EXPECT_FALSE(DecodeAndClassify(5, dump, {}, data, monitor)) << abortAt;
        EXPECT_LE(monitor.ticks, abortAt + 1) << abortAt;
        if (abortAt == 37 + 16 + 3) {
            int previousYear = 0;
            for (int r = 1; r <= kGen5LeqRows; ++r) {
                EXPECT_GE(data.Leq_Records(r, 6), previousYear) << r;
                previousYear = data.Leq_Records(r, 6);
            }
        }
    }
}

} // namespace
