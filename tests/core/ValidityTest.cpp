#include "core/store/Validity.h"

#include <gtest/gtest.h>

TEST(Validity, LevelAndEventRows) {
    struct Case {
        std::array<int16_t, 8> row;
        bool valid;
    } cases[] = {
        {{0, 0, 1, 1, 1, 0, 50, 0}, true},       {{59, 23, 31, 0, 12, 98, 0, 1}, true},
        {{60, 12, 10, 1, 5, 9, 50, 0}, false},   {{0, 24, 10, 1, 5, 9, 50, 0}, false},
        {{0, 12, 0, 1, 5, 9, 50, 0}, false},     {{0, 12, 32, 1, 5, 9, 50, 0}, false},
        {{0, 12, 10, 1, 13, 9, 50, 0}, false},   {{0, 12, 10, 1, 0, 9, 50, 0}, false},
        {{0, 12, 10, 1, 5, 99, 50, 0}, false},   {{0, 12, 10, 1, 5, 9, 255, 0}, false},
        {{0, 12, 10, 1, 5, 9, 50, 255}, false},  {{0, 12, 10, 255, 5, 9, 50, 0}, true},
        {{-1, 12, 10, 1, 5, 9, 50, 0}, false},   {{255, 255, 255, 255, 255, 255, 255, 255}, false},
    };
    for (const Case& c : cases) {
        EventTable table;
        for (int col = 1; col <= 8; ++col) table(1, col) = c.row[static_cast<size_t>(col - 1)];
        EXPECT_EQ(isValidLevelOrEventRow(table, 1), c.valid) << c.row[0] << ' ' << c.row[1] << ' ' << c.row[2];
    }
}

TEST(Validity, ParamChangeRowWithCode255StaysValid) {
    ParamChangeTable table;
    const int16_t date[] = {30, 10, 5, 0, 9, 9};
    for (int col = 1; col <= 6; ++col) table(1, col) = date[col - 1];
    table(1, 7) = 255;
    table(1, 8) = 255;
    EXPECT_TRUE(isValidParamChangeRow(table, 1));
    table(1, 6) = 99;
    EXPECT_FALSE(isValidParamChangeRow(table, 1));
}
