// Draws every picture the program loads from its folder "Images": the logo and the device front of
// the splash, and the icons of the picture buttons. Usage: vorl-make-images OUTPUT_FOLDER
//
// The pictures are bitmaps without transparency, so each one is drawn on the colour of the surface it
// sits on: the blue-grey of the splash and the about box, or the face of a button.

#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QTextStream>
#include <cmath>
#include <functional>

namespace {

const QColor kPanel(197, 207, 237);      // splash and about box background
const QColor kButtonFace(239, 239, 239); // picture buttons
const QColor kNavy(28, 48, 112);
const QColor kOrange(236, 128, 24);
const QColor kInk(40, 40, 48);

QFont sans(int pixelSize, bool bold = true) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

QImage canvas(int width, int height, const QColor& background) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(background);
    return image;
}

// ---- Splash and about box ------------------------------------------------------------------------

QImage drawLogo() {
    QImage image = canvas(168, 72, kPanel);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);

    const QRectF badge(3, 3, 162, 66);
    p.setPen(QPen(Qt::white, 2));
    p.setBrush(kNavy);
    p.drawRoundedRect(badge, 12, 12);

    // A loudspeaker with its sound waves: the monitor listens to the room.
    QPainterPath speaker;
    speaker.moveTo(14, 29);
    speaker.lineTo(22, 29);
    speaker.lineTo(32, 19);
    speaker.lineTo(32, 53);
    speaker.lineTo(22, 43);
    speaker.lineTo(14, 43);
    speaker.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(kOrange);
    p.drawPath(speaker);
    p.setBrush(Qt::NoBrush);
    for (int i = 0; i < 3; ++i) {
        p.setPen(QPen(kOrange, 3, Qt::SolidLine, Qt::RoundCap));
        const qreal r = 8 + i * 7;
        p.drawArc(QRectF(34 - r, 36 - r, 2 * r, 2 * r), -50 * 16, 100 * 16);
    }

    p.setPen(Qt::white);
    p.setFont(sans(36));
    p.drawText(QRectF(62, 6, 100, 48), Qt::AlignCenter, QStringLiteral("VORL"));
    p.setFont(sans(9, false));
    p.drawText(QRectF(62, 50, 100, 14), Qt::AlignCenter, QStringLiteral("ANALYSER"));
    return image;
}

QImage drawDeviceFront() {
    QImage image = canvas(220, 160, kPanel);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);

    // Shadow, then the housing.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(120, 130, 160));
    p.drawRoundedRect(QRectF(12, 10, 202, 144), 10, 10);
    QLinearGradient housing(0, 6, 0, 150);
    housing.setColorAt(0, QColor(246, 246, 242));
    housing.setColorAt(1, QColor(206, 208, 204));
    p.setBrush(housing);
    p.setPen(QPen(QColor(90, 94, 104), 1.5));
    p.drawRoundedRect(QRectF(6, 5, 202, 144), 10, 10);

    // Name plate.
    p.setPen(Qt::NoPen);
    p.setBrush(kNavy);
    p.drawRoundedRect(QRectF(14, 13, 186, 22), 5, 5);
    p.setPen(Qt::white);
    p.setFont(sans(13));
    p.drawText(QRectF(20, 13, 100, 22), Qt::AlignVCenter | Qt::AlignLeft, QStringLiteral("QLV 40"));
    p.setPen(kOrange);
    p.setFont(sans(9));
    p.drawText(QRectF(100, 13, 94, 22), Qt::AlignVCenter | Qt::AlignRight, QStringLiteral("VORL"));

    // Level display.
    p.setPen(QPen(QColor(60, 64, 70), 2));
    p.setBrush(QColor(176, 204, 150));
    p.drawRoundedRect(QRectF(16, 44, 110, 46), 4, 4);
    p.setPen(QColor(30, 44, 28));
    QFont digits(QStringLiteral("DejaVu Sans Mono"));
    digits.setPixelSize(28);
    digits.setBold(true);
    p.setFont(digits);
    p.drawText(QRectF(20, 44, 74, 46), Qt::AlignVCenter | Qt::AlignRight, QStringLiteral("87"));
    p.setFont(sans(11));
    p.drawText(QRectF(96, 44, 28, 46), Qt::AlignVCenter | Qt::AlignLeft, QStringLiteral("dB"));
    p.setFont(sans(7, false));
    p.drawText(QRectF(20, 46, 60, 10), Qt::AlignLeft, QStringLiteral("Leq"));

    // Day / night / cut lamps.
    const struct {
        QColor colour;
        const char* caption;
    } lamps[] = {
        {QColor(40, 180, 60), "JOUR"}, {QColor(240, 170, 20), "NUIT"}, {QColor(220, 40, 30), "COUP."}};
    for (int i = 0; i < 3; ++i) {
        const qreal y = 48 + i * 15;
        QRadialGradient glow(QPointF(141, y + 4), 6);
        glow.setColorAt(0, lamps[i].colour.lighter(160));
        glow.setColorAt(1, lamps[i].colour);
        p.setPen(QPen(QColor(60, 60, 60), 1));
        p.setBrush(glow);
        p.drawEllipse(QPointF(141, y + 4), 5, 5);
        p.setPen(kInk);
        p.setFont(sans(8));
        p.drawText(QRectF(150, y - 2, 52, 12), Qt::AlignVCenter | Qt::AlignLeft,
                   QString::fromLatin1(lamps[i].caption));
    }

    // Keypad.
    for (int i = 0; i < 4; ++i) {
        const QRectF key(18 + i * 28, 102, 22, 14);
        p.setPen(QPen(QColor(80, 84, 92), 1));
        p.setBrush(QColor(150, 156, 170));
        p.drawRoundedRect(key, 3, 3);
    }
    p.setPen(kInk);
    p.setFont(sans(7, false));
    p.drawText(QRectF(16, 118, 110, 10), Qt::AlignCenter, QStringLiteral("MENU   -   +   OK"));

    // Serial socket and relay terminal.
    p.setPen(QPen(QColor(70, 70, 80), 1.5));
    p.setBrush(QColor(90, 96, 110));
    p.drawRoundedRect(QRectF(140, 100, 54, 16), 3, 3);
    p.setBrush(QColor(200, 200, 200));
    for (int i = 0; i < 5; ++i)
        p.drawEllipse(QPointF(148 + i * 9.5, 108), 2, 2);
    p.setPen(kInk);
    p.drawText(QRectF(136, 118, 62, 10), Qt::AlignCenter, QStringLiteral("RS 232"));

    // Screws.
    p.setPen(QPen(QColor(110, 110, 110), 1));
    p.setBrush(QColor(180, 180, 180));
    for (QPointF screw : {QPointF(14, 140), QPointF(200, 140)})
        p.drawEllipse(screw, 3.5, 3.5);
    return image;
}

// ---- Button icons --------------------------------------------------------------------------------

QImage drawOk() {
    QImage image = canvas(24, 24, kButtonFace);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(34, 150, 60));
    p.drawEllipse(QRectF(1, 1, 22, 22));
    p.setPen(QPen(Qt::white, 3.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    QPolygonF tick;
    tick << QPointF(6.5, 12.5) << QPointF(10.5, 16.5) << QPointF(17.5, 7.5);
    p.drawPolyline(tick);
    return image;
}

void drawSheet(QPainter& p, const QRectF& sheet) {
    p.setPen(QPen(QColor(90, 90, 100), 1));
    p.setBrush(Qt::white);
    p.drawRect(sheet);
}

QImage drawNewGraph() {
    QImage image = canvas(32, 32, kButtonFace);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    drawSheet(p, QRectF(2.5, 4.5, 27, 23));
    p.setPen(QPen(kInk, 1.2));
    p.drawLine(QPointF(6, 8), QPointF(6, 24));
    p.drawLine(QPointF(6, 24), QPointF(27, 24));
    // A level staircase and the red threshold line.
    QPolygonF levels;
    levels << QPointF(6, 19) << QPointF(10, 19) << QPointF(10, 14) << QPointF(14, 14) << QPointF(14, 17)
           << QPointF(18, 17) << QPointF(18, 11) << QPointF(22, 11) << QPointF(22, 15) << QPointF(27, 15);
    p.setPen(QPen(QColor(20, 70, 200), 1.6));
    p.drawPolyline(levels);
    p.setPen(QPen(QColor(210, 30, 30), 1.2, Qt::DashLine));
    p.drawLine(QPointF(6, 12.5), QPointF(27, 12.5));
    // "New": a small star in the corner.
    p.setPen(Qt::NoPen);
    p.setBrush(kOrange);
    QPolygonF star;
    for (int i = 0; i < 10; ++i) {
        const qreal angle = M_PI / 5 * i - M_PI / 2;
        const qreal r = i % 2 ? 2.4 : 5.5;
        star << QPointF(26 + r * std::cos(angle), 6 + r * std::sin(angle));
    }
    p.drawPolygon(star);
    return image;
}

// Magnifying glass with "+" (enlarge) or "-" (back to normal size), and the graph it acts on.
QImage drawZoom(bool enlarge, const QString& graph) {
    QImage image = canvas(32, 32, kButtonFace);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF centre(13, 12);
    p.setPen(QPen(QColor(110, 80, 40), 4.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(19.5, 18.5), QPointF(27, 26));
    p.setPen(QPen(kInk, 2));
    p.setBrush(QColor(215, 235, 255));
    p.drawEllipse(centre, 9, 9);
    p.setPen(QPen(enlarge ? QColor(20, 120, 40) : QColor(200, 30, 30), 2.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(centre + QPointF(-4.5, 0), centre + QPointF(4.5, 0));
    if (enlarge) p.drawLine(centre + QPointF(0, -4.5), centre + QPointF(0, 4.5));
    // The graph's name, bottom left.
    p.setPen(Qt::NoPen);
    p.setBrush(kNavy);
    const QRectF tag(0, 22, graph.size() > 1 ? 15 : 10, 10);
    p.drawRoundedRect(tag, 2, 2);
    p.setPen(Qt::white);
    p.setFont(sans(8));
    p.drawText(tag, Qt::AlignCenter, graph);
    return image;
}

QImage drawPrint() {
    QImage image = canvas(32, 32, kButtonFace);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    drawSheet(p, QRectF(8.5, 2.5, 15, 11)); // paper going in
    p.setPen(QPen(kInk, 1.4));
    p.setBrush(QColor(120, 126, 140));
    p.drawRoundedRect(QRectF(2.5, 11.5, 27, 12), 3, 3); // body
    p.setBrush(QColor(80, 84, 96));
    p.drawRect(QRectF(7.5, 19.5, 17, 3));
    drawSheet(p, QRectF(8.5, 21.5, 15, 8.5)); // printed page
    p.setPen(QPen(QColor(90, 90, 100), 1));
    for (int i = 0; i < 3; ++i)
        p.drawLine(QPointF(10.5, 24 + i * 2), QPointF(21.5, 24 + i * 2));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(60, 200, 80));
    p.drawEllipse(QPointF(25, 15), 1.5, 1.5);
    return image;
}

QImage drawNewTable() {
    QImage image = canvas(32, 32, kButtonFace);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(QColor(70, 74, 90), 1));
    p.setBrush(Qt::white);
    p.drawRect(3, 5, 25, 22);
    p.fillRect(4, 6, 24, 5, kNavy);
    p.setPen(QPen(QColor(150, 156, 170), 1));
    for (int y = 16; y < 27; y += 5)
        p.drawLine(4, y, 27, y);
    p.drawLine(12, 11, 12, 26);
    p.drawLine(20, 11, 20, 26);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(kOrange);
    QPolygonF star;
    for (int i = 0; i < 10; ++i) {
        const qreal angle = M_PI / 5 * i - M_PI / 2;
        const qreal r = i % 2 ? 2.4 : 5.5;
        star << QPointF(26 + r * std::cos(angle), 6 + r * std::sin(angle));
    }
    p.drawPolygon(star);
    return image;
}

QImage drawExit() {
    QImage image = canvas(32, 32, kButtonFace);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    // An open door and an arrow leaving through it.
    p.setPen(QPen(kInk, 1.5));
    p.setBrush(QColor(170, 120, 70));
    p.drawRect(QRectF(4.5, 3.5, 14, 25));
    QPolygonF door;
    door << QPointF(4.5, 3.5) << QPointF(12.5, 6.5) << QPointF(12.5, 30.5) << QPointF(4.5, 28.5);
    p.setBrush(QColor(120, 80, 40));
    p.drawPolygon(door);
    p.setBrush(QColor(240, 200, 60));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(10.5, 18), 1.2, 1.2);
    p.setPen(QPen(QColor(200, 30, 30), 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(QPointF(15, 16), QPointF(28, 16));
    p.drawLine(QPointF(23.5, 11.5), QPointF(28, 16));
    p.drawLine(QPointF(23.5, 20.5), QPointF(28, 16));
    return image;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTextStream err(stderr);
    if (argc != 2) {
        err << "Usage: vorl-make-images OUTPUT_FOLDER\n";
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!folder.exists() && !QDir().mkpath(folder.path())) {
        err << "cannot create " << folder.path() << '\n';
        return 1;
    }

    const std::pair<const char*, std::function<QImage()>> pictures[] = {
        {"Logo Vorl.bmp", drawLogo},
        {"QLV 30-2 Back.bmp", drawDeviceFront},
        {"Ok.bmp", drawOk},
        {"New Graphique.bmp", drawNewGraph},
        {"Zoom Leq 1.bmp", [] { return drawZoom(true, QStringLiteral("1")); }},
        {"Zoom Leq 10.bmp", [] { return drawZoom(true, QStringLiteral("10")); }},
        {"No Zoom Leq 1.bmp", [] { return drawZoom(false, QStringLiteral("1")); }},
        {"No Zoom Leq 10.bmp", [] { return drawZoom(false, QStringLiteral("10")); }},
        {"Print.bmp", drawPrint},
        {"New Tableau.bmp", drawNewTable},
        {"Exit.jpg", drawExit},
    };
    int failures = 0;
    for (const auto& [name, draw] : pictures) {
        const QString path = folder.filePath(QString::fromLatin1(name));
        const QImage image = draw().convertToFormat(QImage::Format_RGB888);
        if (!image.save(path, nullptr, 95)) {
            err << "cannot write " << path << '\n';
            ++failures;
        } else {
            err << "wrote " << path << '\n';
        }
    }
    return failures == 0 ? 0 : 1;
}
