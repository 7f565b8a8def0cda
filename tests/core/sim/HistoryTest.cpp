#include "sim/History.h"
#include "core/store/Validity.h"

#include <gtest/gtest.h>

namespace {
int validLevels(const DeviceData& d) {
    int n = 0;
    for (int r = 1; r <= LeqTable::rowCount; ++r)
        n += isValidLevelOrEventRow(d.Leq_Records, r) ? 1 : 0;
    return n;
}
bool holdsLevelAt(const DeviceData& d, int day, int month, int hour, int minute, int kind) {
    for (int r = 1; r <= LeqTable::rowCount; ++r)
        if (d.Leq_Records(r, 3) == day && d.Leq_Records(r, 5) == month && d.Leq_Records(r, 2) == hour &&
            d.Leq_Records(r, 1) == minute && d.Leq_Records(r, 4) == kind)
            return true;
    return false;
}
int leq10InHour(const DeviceData& d, int day, int month, int hour) {
    int n = 0;
    for (int r = 1; r <= LeqTable::rowCount; ++r)
        n += d.Leq_Records(r, 3) == day && d.Leq_Records(r, 5) == month && d.Leq_Records(r, 2) == hour &&
                     d.Leq_Records(r, 4) == 10
                 ? 1
                 : 0;
    return n;
}
} // namespace

// Six months read weekly: the readings overlap except across the lost week, the memory fills and wraps,
// the clock lives 2:00 twice on 25/10/2026, and the thresholds move.
TEST(History, WeeklyReadingsOfOneContinuousRecording) {
    const HistoryOptions options;
    ASSERT_TRUE(CheckHistoryOptions(options).isEmpty());
    const std::vector<HistoryReading> history = GenerateHistory(options);
    ASSERT_EQ(history.size(), static_cast<std::size_t>(options.weeks - 1));
    EXPECT_EQ(validLevels(history.back().data), LeqTable::rowCount);

    int overlapping = 0;
    for (std::size_t i = 0; i + 1 < history.size(); ++i) {
        // The newest level of a reading is still in the next one, unless the memory was erased between.
        const DeviceData& a = history[i].data;
        int last = 1;
        while (last < LeqTable::rowCount && isValidLevelOrEventRow(a.Leq_Records, last + 1))
            ++last;
        overlapping += holdsLevelAt(history[i + 1].data, a.Leq_Records(last, 3), a.Leq_Records(last, 5),
                                    a.Leq_Records(last, 2), a.Leq_Records(last, 1), a.Leq_Records(last, 4))
                           ? 1
                           : 0;
    }
    EXPECT_EQ(overlapping, static_cast<int>(history.size()) - 2);

    EXPECT_EQ(leq10InHour(history.back().data, 25, 10, 2), 12);
    EXPECT_EQ(leq10InHour(history.back().data, 25, 10, 3), 6);
    EXPECT_NE(history.front().data.Param_Block, history.back().data.Param_Block);
}
