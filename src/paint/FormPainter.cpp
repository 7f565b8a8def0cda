#include "paint/FormPainter.h"

#include <QPagedPaintDevice>
#include <QPainter>

QFont formFont(const FormFont& font) {
    QFont f(QStringLiteral("Arial"), font.pointSize, font.bold ? QFont::Bold : QFont::Normal);
    f.setFamilies({QStringLiteral("Arial"), QStringLiteral("DejaVu Sans")});
    f.setUnderline(font.underline);
    return f;
}

void paintForm(QPainter& painter, const ParametersForm& form) {
    QPaintDevice* device = painter.device();
    const double sx = device->logicalDpiX() / 1440.0;
    const double sy = device->logicalDpiY() / 1440.0;
    const auto rect = [sx, sy](const FormItem& item) {
        return QRectF(item.left * sx, item.top * sy, item.width * sx, item.height * sy);
    };
    painter.save();
    painter.fillRect(QRectF(0, 0, form.width * sx, form.height * sy), Qt::white);
    for (const FormItem& item : form.items) {
        if (!item.printed()) continue;
        if (item.kind == FormItemKind::Line) {
            // A sunken frame line: its dark half, as the window draws it.
            const QRectF r = rect(item);
            painter.setPen(QPen(QColor(160, 160, 160), qMax(1.0, r.width() / 2)));
            painter.drawLine(QPointF(r.center().x(), r.top()), QPointF(r.center().x(), r.bottom()));
            continue;
        }
        // Labels clip their text at their edges, like the window's labels.
        painter.setPen(Qt::black);
        painter.setFont(formFont(item.font));
        painter.drawText(rect(item), Qt::AlignVCenter | (item.centred ? Qt::AlignHCenter : Qt::AlignLeft),
                         item.text);
    }
    painter.restore();
}

bool printForm(QPagedPaintDevice& device, const ParametersForm& form) {
    // The window is wider than a portrait A4 page: it is printed across the page, and shrunk only
    // where even that is too narrow.
    const double formInches = form.width / 1440.0;
    const auto pageInches = [&device] { return device.pageLayout().paintRect(QPageLayout::Inch).width(); };
    if (pageInches() < formInches) device.setPageOrientation(QPageLayout::Landscape);
    QPainter painter;
    if (!painter.begin(&device)) return false;
    const double fit = pageInches() / formInches;
    if (fit < 1.0) painter.scale(fit, fit);
    paintForm(painter, form);
    return painter.end();
}
