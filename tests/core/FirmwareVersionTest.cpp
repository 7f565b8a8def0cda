#include "core/tables/FirmwareVersion.h"

#include <gtest/gtest.h>

TEST(FirmwareVersionText, DigitCodes) {
    const int codes[] = {12, 140, 76, 204, 44, 172, 108, 236, 28, 156}; // digits 0..9
    for (int major = 0; major <= 9; ++major) {
        for (int minor = 0; minor <= 9; ++minor) {
            ParamZone block;
            block[160] = static_cast<int16_t>(codes[major]);
            block[161] = static_cast<int16_t>(codes[minor]);
            EXPECT_EQ(FirmwareVersionText(block), QStringLiteral("%1.%2").arg(major).arg(minor));
        }
    }
}

TEST(FirmwareVersionText, UnknownCodesGive5X) {
    struct Case {
        int16_t high, low;
    } cases[] = {{0, 0}, {172, 0}, {0, 108}, {255, 255}, {13, 108}, {172, -1}, {172, 300}, {60, 108}};
    for (const Case& c : cases) {
        ParamZone block;
        block[160] = c.high;
        block[161] = c.low;
        EXPECT_EQ(FirmwareVersionText(block), "5.X") << c.high << ' ' << c.low;
    }
}
