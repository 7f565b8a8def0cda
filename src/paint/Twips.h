#pragma once

#include <QRect>

// Window geometry is given in twips (1/1440 inch). At the reference 96 dpi a pixel is 15 twips;
// Qt's device-independent pixels keep that ratio on hi-DPI screens.
constexpr int kTwipsPerPixel = 15;
constexpr int twips(int value) {
    return (value + kTwipsPerPixel / 2) / kTwipsPerPixel;
}
inline QRect twipsRect(int left, int top, int width, int height) {
    return QRect(twips(left), twips(top), twips(width), twips(height));
}
