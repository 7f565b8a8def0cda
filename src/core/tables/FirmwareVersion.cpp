#include "core/tables/FirmwareVersion.h"

namespace {
// Each cell holds one digit: the high nibble is the digit with its four bits in reverse order,
// the low nibble is always 1100.
int digitOfCode(int code) {
    if (code < 0 || code > 255 || (code & 0x0F) != 0x0C) return -1;
    const int reversed = (code >> 4) & 0x0F;
    int digit = 0;
    for (int bit = 0; bit < 4; ++bit)
        if (reversed & (1 << bit)) digit |= 1 << (3 - bit);
    return digit <= 9 ? digit : -1;
}
} // namespace

QString FirmwareVersionText(const ParamZone& block) {
    const int major = digitOfCode(block[160]);
    const int minor = digitOfCode(block[161]);
    if (major < 0 || minor < 0) return QStringLiteral("5.X");
    return QString::number(major) + QLatin1Char('.') + QString::number(minor);
}
