#include "ui/widgets/PainterCanvas.h"

#include <QPdfWriter>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
bool isDark(QRgb pixel) {
    return qRed(pixel) < 100 && qGreen(pixel) < 100 && qBlue(pixel) < 100;
}

// An antialiased thin line spreads over two pixel rows: look for ink around the expected row.
bool inkNear(const QImage& image, QPointF at) {
    for (int dy = -1; dy <= 1; ++dy) {
        const QRgb pixel = image.pixel(qRound(at.x()), qRound(at.y()) + dy);
        if (qGray(pixel) < 200) return true;
    }
    return false;
}

// The graph scale of a normal 1-day box.
void useAxesScale(Canvas& canvas) {
    canvas.setScale(9, -129, 30, 81);
}
} // namespace

TEST(PainterCanvas, MapsTheUserScaleOntoTheTarget) {
    QImage image(300, 162, QImage::Format_RGB32);
    QPainter painter(&image);
    PainterCanvas canvas(&painter, QRectF(0, 0, 300, 162));
    useAxesScale(canvas);
    const QPointF topLeft = canvas.toDevice(9, -129);
    const QPointF bottomRight = canvas.toDevice(39, -48);
    EXPECT_DOUBLE_EQ(topLeft.x(), 0);
    EXPECT_DOUBLE_EQ(topLeft.y(), 0);
    EXPECT_DOUBLE_EQ(bottomRight.x(), 300);
    EXPECT_DOUBLE_EQ(bottomRight.y(), 162);
    // A level of 60 dB sits 69/81 of the way down.
    EXPECT_NEAR(canvas.toDevice(12, -60).y(), 162.0 * 69 / 81, 1e-9);
}

TEST(ImageCanvas, KeepsItsPictureAndClearsToWhite) {
    ImageCanvas canvas(kNormalBoxWidth, kNormalBoxHeight);
    useAxesScale(canvas);
    canvas.line(10, -60, 38, -60, kBlack); // the time axis
    const QImage& picture = canvas.image();
    ASSERT_EQ(picture.width(), 501);
    ASSERT_EQ(picture.height(), 265);
    EXPECT_TRUE(inkNear(picture, canvas.toDevice(20, -60)));
    EXPECT_FALSE(inkNear(picture, canvas.toDevice(20, -100)));

    canvas.clear();
    EXPECT_FALSE(inkNear(canvas.image(), canvas.toDevice(20, -60)));
}

TEST(ImageCanvas, DrawsTextAndSurvivesAbsurdCoordinates) {
    ImageCanvas canvas(kEnlargedBoxWidth, kEnlargedBoxHeight);
    useAxesScale(canvas);
    canvas.setForeColor(kBlack);
    canvas.setFontSize(10);
    canvas.printAt(20, -100, QStringLiteral("Heures"));
    // A level of 32767 x 100 dB and infinite positions must neither crash nor smear the box.
    canvas.line(12, -3276700, 13, 3276700, kRed);
    canvas.line(1e300, 0, -1e300, 0, kRed);
    canvas.pset(12, -1e12, kRed);
    canvas.circle(12, -60, 1e12, kRed);
    const QImage& picture = canvas.image();
    int dark = 0;
    const QPoint at = canvas.toDevice(20, -100).toPoint();
    for (int x = at.x(); x < at.x() + 60 && x < picture.width(); ++x)
        for (int y = at.y(); y < at.y() + 20 && y < picture.height(); ++y)
            dark += isDark(picture.pixel(x, y));
    EXPECT_GT(dark, 10);
}

TEST(PainterCanvas, PrintsOnAPdfPage) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("graph.pdf"));
    {
        QPdfWriter pdf(path);
        pdf.setResolution(600);
        QPainter painter(&pdf);
        // The enlarged box at its physical size: 15060 twips at 600 dpi.
        PainterCanvas canvas(&painter, QRectF(0, 0, 15060 * 600.0 / 1440, 8300 * 600.0 / 1440));
        canvas.setBoxSize(kEnlargedBoxWidth, kEnlargedBoxHeight);
        useAxesScale(canvas);
        canvas.line(10, -60, 38, -60, kBlack);
        canvas.printAt(37, -57, QStringLiteral("Heures"));
    }
    EXPECT_GT(QFileInfo(path).size(), 500);
}
