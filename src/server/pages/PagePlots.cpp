#include "server/pages/PagePlots.h"

#include "paint/ComplianceBandPlot.h"
#include "server/pages/PageRender.h"

#include <QBuffer>
#include <QLocale>
#include <QSvgGenerator>

namespace {
QString fill(uint32_t rgb) {
    return QString::fromStdString(cssColour(rgb));
}

constexpr int kCell = 16, kGap = 2, kLabelWidth = 84;
} // namespace

QString calendarSvg(const std::vector<CalendarMonth>& months, const QString& dayLink) {
    const QLocale french(QLocale::French, QLocale::France);
    const int width = kLabelWidth + 31 * (kCell + kGap);
    const int height = int(months.size()) * (kCell + kGap) + kGap;
    QString svg =
        QStringLiteral("<svg class=\"calendar\" xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 %1 "
                       "%2\" width=\"%1\" height=\"%2\" role=\"img\" aria-label=\"Calendrier de "
                       "couverture\"><defs><pattern id=\"gap\" width=\"4\" height=\"4\" "
                       "patternUnits=\"userSpaceOnUse\"><rect width=\"4\" height=\"4\" fill=\"%3\"/><path "
                       "d=\"M0 4L4 0\" stroke=\"%4\" stroke-width=\"0.8\"/></pattern></defs>")
            .arg(width)
            .arg(height)
            .arg(fill(kGapColour), fill(kGapHatchColour));
    int y = kGap;
    for (const CalendarMonth& month : months) {
        svg += QStringLiteral("<text x=\"0\" y=\"%1\" font-size=\"12\" fill=\"#52606d\">%2</text>")
                   .arg(y + kCell - 4)
                   .arg(xmlEscaped(
                       french.toString(QDate(month.year, month.month, 1), QStringLiteral("MMM yyyy"))));
        for (const CalendarCell& cell : month.days) {
            const int x = kLabelWidth + (cell.day.day() - 1) * (kCell + kGap);
            QString square;
            if (cell.future) {
                square = QStringLiteral(
                             "<rect x=\"%1\" y=\"%2\" width=\"%3\" height=\"%3\" fill=\"%4\" stroke=\"%5\"/>")
                             .arg(x)
                             .arg(y)
                             .arg(kCell)
                             .arg(fill(kFutureColour), fill(kFutureEdgeColour));
            } else if (cell.cover == DayCover::None) {
                square =
                    QStringLiteral("<rect x=\"%1\" y=\"%2\" width=\"%3\" height=\"%3\" fill=\"url(#gap)\"/>")
                        .arg(x)
                        .arg(y)
                        .arg(kCell);
            } else {
                const bool partial = cell.cover == DayCover::Partial;
                square = QStringLiteral("<rect x=\"%1\" y=\"%2\" width=\"%3\" height=\"%3\" fill=\"%4\"/>")
                             .arg(x)
                             .arg(y)
                             .arg(kCell)
                             .arg(partial ? QStringLiteral("url(#gap)") : fill(cell.colour()));
                if (partial)
                    square +=
                        QStringLiteral("<rect x=\"%1\" y=\"%2\" width=\"%3\" height=\"%4\" fill=\"%5\"/>")
                            .arg(x)
                            .arg(y + kCell / 2)
                            .arg(kCell)
                            .arg(kCell / 2)
                            .arg(fill(cell.colour()));
            }
            square = QStringLiteral("<g><title>%1</title>%2</g>").arg(xmlEscaped(cell.toolTip), square);
            if (cell.cover != DayCover::None)
                square = QStringLiteral("<a href=\"%1\">%2</a>")
                             .arg(xmlEscaped(dayLink.arg(cell.day.toString(Qt::ISODate))), square);
            svg += square;
        }
        y += kCell + kGap;
    }
    return svg + QStringLiteral("</svg>");
}

QString nightStripSvg(const std::vector<JudgedNight>& nights) {
    constexpr int w = 8, h = 18;
    const int width = int(nights.size()) * (w + 1);
    QString svg =
        QStringLiteral("<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 %1 %2\" width=\"%1\" "
                       "height=\"%2\" role=\"img\" aria-label=\"Verdicts des nuits\">")
            .arg(width)
            .arg(h);
    int x = 0;
    for (const JudgedNight& night : nights) {
        const QString verdict =
            night.verdict == Verdict::None ? QStringLiteral("sans verdict") : VerdictText(night.verdict);
        svg +=
            QStringLiteral(
                "<rect x=\"%1\" y=\"0\" width=\"%2\" height=\"%3\" fill=\"%4\"><title>%5 : %6</title></rect>")
                .arg(x)
                .arg(w)
                .arg(h)
                .arg(night.verdict == Verdict::None ? fill(kGapColour) : fill(VerdictColour(night.verdict)),
                     night.day.toString(QStringLiteral("dd/MM/yyyy")), xmlEscaped(verdict));
        x += w + 1;
    }
    return svg + QStringLiteral("</svg>");
}

QByteArray nightBandSvg(const ComplianceReport& report, const NightReport& night) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator generator;
    generator.setOutputDevice(&buffer);
    generator.setSize(QSize(960, 420));
    generator.setViewBox(QRect(0, 0, 960, 420));
    generator.setTitle(QStringLiteral("Nuit du %1").arg(night.day.toString(QStringLiteral("dd/MM/yyyy"))));
    {
        QPainter painter(&generator);
        painter.fillRect(QRect(0, 0, 960, 420), Qt::white);
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(12);
        painter.setFont(font);
        PaintComplianceBand(painter, QRectF(8, 8, 944, 404), report, night);
    }
    return bytes;
}
