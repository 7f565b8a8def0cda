#include "paint/ComplianceBandPlot.h"

#include <QPainterPath>
#include <QPolygonF>
#include <algorithm>
#include <cmath>
#include <tuple>

namespace {
const QColor kBandFill(70, 110, 200, 150);
const QColor kBandEdge(30, 60, 150);
const QColor kUnknownFill(215, 215, 215);
const QColor kCertainFill(240, 150, 150);
const QColor kPossibleFill(250, 215, 160);
const QColor kLimitColour(200, 0, 0);
const QColor kHighlightFill(255, 235, 60, 90);
const QColor kHighlightEdge(150, 110, 0);

bool exceeds(Verdict v) {
    return v == Verdict::Certain || v == Verdict::Possible;
}

struct Frame {
    QRectF plot;
    int first = 0, last = 0;
    BandScale scale;
    double x(double index) const {
        return plot.left() + (index - first) / double(last - first) * plot.width();
    }
    double y(double db) const {
        const double t = (db - scale.lowDb) / (scale.highDb - scale.lowDb);
        return plot.bottom() - std::clamp(t, 0.0, 1.0) * plot.height();
    }
};

std::pair<int, int> shownRange(const NightReport& night, const BandView& view) {
    const int size = static_cast<int>(night.band.size());
    int last = view.last < 0 ? size : std::min(view.last, size);
    int first = std::clamp(view.first, 0, std::max(0, last - 1));
    if (last <= first) last = first + 1;
    return {first, last};
}

} // namespace

std::vector<std::pair<int, int>> BandEpisodeRuns(const NightReport& night) {
    std::vector<std::pair<int, int>> runs;
    for (const ExceedanceEpisode& e : night.episodes)
        runs.push_back({static_cast<int>(e.firstMinute - night.firstMinute),
                        static_cast<int>(e.endMinute - night.firstMinute)});
    return runs;
}

namespace {

void paintBand(QPainter& painter, const Frame& f, const NightReport& night, double lineWidth) {
    QPolygonF upper, lower;
    auto flush = [&] {
        if (!upper.isEmpty()) {
            QPolygonF shape = upper;
            for (auto it = lower.crbegin(); it != lower.crend(); ++it)
                shape << *it;
            painter.setPen(Qt::NoPen);
            painter.setBrush(kBandFill);
            painter.drawPolygon(shape);
            painter.setBrush(Qt::NoBrush);
            painter.setPen(QPen(kBandEdge, lineWidth));
            painter.drawPolyline(upper);
            painter.drawPolyline(lower);
        }
        upper.clear();
        lower.clear();
    };
    for (int i = f.first; i < f.last; ++i) {
        const BandPoint& p = night.band[static_cast<std::size_t>(i)];
        if (!p.upperDb) {
            flush();
            continue;
        }
        const double x = f.x(i + 0.5);
        upper << QPointF(x, f.y(*p.upperDb));
        lower << QPointF(x, p.lowerDb ? f.y(*p.lowerDb) : f.plot.bottom());
    }
    flush();
    // A lower bound without an upper one: the level is at least this, the rest is open.
    painter.setPen(QPen(kBandEdge, lineWidth, Qt::DotLine));
    QPolygonF open;
    for (int i = f.first; i <= f.last; ++i) {
        const bool keep = i < f.last && !night.band[static_cast<std::size_t>(i)].upperDb &&
                          night.band[static_cast<std::size_t>(i)].lowerDb;
        if (keep) open << QPointF(f.x(i + 0.5), f.y(*night.band[static_cast<std::size_t>(i)].lowerDb));
        if (!keep && !open.isEmpty()) {
            painter.drawPolyline(open);
            open.clear();
        }
    }
}
QFont scaledFont(const QFont& font, double scale) {
    QFont scaled = font;
    if (font.pointSizeF() > 0)
        scaled.setPointSizeF(font.pointSizeF() * scale);
    else
        scaled.setPixelSize(std::max(1, static_cast<int>(font.pixelSize() * scale)));
    return scaled;
}

// One line under the hours: a swatch and a word for each thing the plot draws.
void paintLegend(QPainter& painter, QPointF at, double width, double h, double thin, bool withLimit) {
    struct Entry {
        QString text;
        QColor fill;
        bool line = false;
    };
    std::vector<Entry> entries = {{QStringLiteral("bornes basse et haute"), kBandFill}};
    if (withLimit) entries.push_back({QStringLiteral("limite"), kLimitColour, true});
    entries.push_back({QStringLiteral("non bornée (minutes inconnues)"), kUnknownFill});
    entries.push_back({QStringLiteral("dépassement certain"), kCertainFill});
    entries.push_back({QStringLiteral("possible"), kPossibleFill});
    entries.push_back({QStringLiteral("épisode choisi"), kHighlightEdge});
    // Smaller type and swatches rather than a legend cut at the plot's right edge.
    const QFont plain = painter.font();
    double needed = 0;
    for (const Entry& e : entries)
        needed += h * 2.5 + QFontMetricsF(plain, painter.device()).horizontalAdvance(e.text);
    if (needed > width) {
        const double scale = std::max(0.5, width / needed);
        painter.setFont(scaledFont(plain, scale));
        h *= scale;
    }
    const double swatch = h * 1.2;
    const QFontMetricsF metrics(painter.font(), painter.device());
    for (const Entry& e : entries) {
        const QRectF box(at.x(), at.y() + h * 0.2, swatch, h * 0.6);
        if (e.line) {
            painter.setPen(QPen(e.fill, 1.5 * thin, Qt::DashLine));
            painter.drawLine(QPointF(box.left(), box.center().y()), QPointF(box.right(), box.center().y()));
        } else if (e.fill == kHighlightEdge) {
            painter.fillRect(box, kHighlightFill);
            painter.setPen(QPen(kHighlightEdge, 2 * thin));
            painter.drawRect(box);
        } else {
            painter.fillRect(box, e.fill);
        }
        painter.setPen(Qt::black);
        const double w = metrics.horizontalAdvance(e.text);
        painter.drawText(QRectF(box.right() + h * 0.3, at.y(), w + 1, h), Qt::AlignLeft | Qt::AlignVCenter,
                         e.text);
        at.rx() = box.right() + h * 0.3 + w + h;
    }
    painter.setFont(plain);
}
} // namespace

BandScale BandScaleOf(const ComplianceReport& report, const NightReport& night) {
    double low = 1e9, high = -1e9;
    for (const BandPoint& p : night.band) {
        if (p.lowerDb) low = std::min(low, *p.lowerDb), high = std::max(high, *p.lowerDb);
        if (p.upperDb) low = std::min(low, *p.upperDb), high = std::max(high, *p.upperDb);
    }
    if (report.settings.limitDb) {
        low = std::min(low, *report.settings.limitDb);
        high = std::max(high, *report.settings.limitDb);
    }
    BandScale scale;
    if (high < low) return scale;
    scale.lowDb = std::max(0.0, std::floor((low - 2) / 10) * 10);
    scale.highDb = std::max(scale.lowDb + 10, std::ceil((high + 2) / 10) * 10);
    return scale;
}

QRectF BandPlotArea(const QRectF& area, const QFontMetricsF& metrics) {
    const double left = metrics.horizontalAdvance(QStringLiteral("000 dB")) + metrics.height() * 0.5;
    // Below the plot: the hours, then the legend.
    return area.adjusted(left, metrics.height() * 0.6, -metrics.height() * 0.8, -metrics.height() * 2.8);
}

void PaintComplianceBand(QPainter& painter, const QRectF& area, const ComplianceReport& report,
                         const NightReport& night, const BandView& view) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    const QFontMetricsF metrics(painter.font(), painter.device());
    const double thin = std::max(1.0, 0.5 * view.pixelsPerPoint);
    Frame f;
    f.plot = BandPlotArea(area, metrics);
    std::tie(f.first, f.last) = shownRange(night, view);
    f.scale = BandScaleOf(report, night);
    painter.fillRect(f.plot, Qt::white);
    if (night.band.empty()) {
        painter.setPen(QPen(Qt::black, thin));
        painter.drawRect(f.plot);
        painter.drawText(f.plot, Qt::AlignCenter, QStringLiteral("Aucune fenêtre"));
        painter.restore();
        return;
    }
    painter.setClipRect(f.plot);

    // Windows that read unknown minutes and have no upper bound.
    for (int i = f.first; i < f.last; ++i)
        if (!night.band[static_cast<std::size_t>(i)].upperDb)
            painter.fillRect(QRectF(QPointF(f.x(i), f.plot.top()), QPointF(f.x(i + 1), f.plot.bottom())),
                             kUnknownFill);
    // Exceeding windows: certain ones in red, possible ones in orange.
    for (int i = f.first; i < f.last; ++i) {
        const Verdict v = night.band[static_cast<std::size_t>(i)].verdict;
        if (exceeds(v))
            painter.fillRect(QRectF(QPointF(f.x(i), f.plot.top()), QPointF(f.x(i + 1), f.plot.bottom())),
                             v == Verdict::Certain ? kCertainFill : kPossibleFill);
    }
    // The chosen episode over its whole span: from its first window start to the end of its last window.
    const auto runs = BandEpisodeRuns(night);
    if (view.selectedEpisode && *view.selectedEpisode >= 0 &&
        *view.selectedEpisode < static_cast<int>(runs.size())) {
        const auto [from, to] = runs[static_cast<std::size_t>(*view.selectedEpisode)];
        const QRectF span(QPointF(f.x(from), f.plot.top()), QPointF(f.x(to), f.plot.bottom()));
        painter.fillRect(span, kHighlightFill);
        painter.setPen(QPen(kHighlightEdge, 2 * thin));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(span.adjusted(thin, thin, -thin, -thin));
    }

    // Grid: every 10 dB, and every hour of the device's clock (finer when zoomed in).
    painter.setPen(QPen(QColor(190, 190, 190), thin));
    for (double db = f.scale.lowDb; db <= f.scale.highDb; db += 10)
        painter.drawLine(QPointF(f.plot.left(), f.y(db)), QPointF(f.plot.right(), f.y(db)));
    std::vector<int> hourTicks;
    const int span = f.last - f.first;
    const int every = span > 3 * 60 ? 60 : span > 60 ? 15 : 5;
    for (int i = f.first; i < f.last; ++i) {
        const QTime t = night.band[static_cast<std::size_t>(i)].start.time();
        if ((t.hour() * 60 + t.minute()) % every == 0) hourTicks.push_back(i);
    }
    for (int i : hourTicks)
        painter.drawLine(QPointF(f.x(i), f.plot.top()), QPointF(f.x(i), f.plot.bottom()));

    paintBand(painter, f, night, thin);

    if (report.settings.limitDb) {
        painter.setPen(QPen(kLimitColour, 1.5 * thin, Qt::DashLine));
        const double y = f.y(*report.settings.limitDb);
        painter.drawLine(QPointF(f.plot.left(), y), QPointF(f.plot.right(), y));
    }
    if (view.cursor && *view.cursor >= f.first && *view.cursor < f.last) {
        painter.setPen(QPen(Qt::black, thin));
        const double x = f.x(*view.cursor + 0.5);
        painter.drawLine(QPointF(x, f.plot.top()), QPointF(x, f.plot.bottom()));
    }
    painter.setClipping(false);

    // Frame and labels.
    painter.setPen(QPen(Qt::black, thin));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(f.plot);
    const double h = metrics.height();
    for (double db = f.scale.lowDb; db <= f.scale.highDb; db += 10)
        painter.drawText(QRectF(area.left(), f.y(db) - h / 2, f.plot.left() - area.left() - h / 4, h),
                         Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("%1 dB").arg(db, 0, 'f', 0));
    // Whole hours as "22h" so that every hour of a long night (25 hours in autumn) keeps its label.
    const QString format = every == 60 ? QStringLiteral("HH'h'") : QStringLiteral("HH'h'mm");
    const QFont plain = painter.font();
    if (hourTicks.size() > 1) {
        // Labels a little smaller rather than fewer, down to two thirds of the size.
        const double spacing = f.x(hourTicks[1]) - f.x(hourTicks[0]);
        const double widest =
            metrics.horizontalAdvance(every == 60 ? QStringLiteral("00h") : QStringLiteral("00h00")) + h / 4;
        if (widest > spacing) {
            painter.setFont(scaledFont(plain, std::max(2.0 / 3.0, spacing / widest)));
        }
    }
    const QFontMetricsF labelMetrics(painter.font(), painter.device());
    double lastRight = -1e9;
    for (int i : hourTicks) {
        const QString label = night.band[static_cast<std::size_t>(i)].start.toString(format);
        const double w = labelMetrics.horizontalAdvance(label);
        const double x = f.x(i) - w / 2;
        if (x < lastRight + labelMetrics.height() / 8) continue;
        painter.drawText(QRectF(x, f.plot.bottom() + h * 0.2, w, h), Qt::AlignCenter, label);
        lastRight = x + w;
    }
    painter.setFont(plain);
    paintLegend(painter, QPointF(f.plot.left(), f.plot.bottom() + h * 1.3), f.plot.width(), h, thin,
                report.settings.limitDb.has_value());
    if (report.settings.limitDb) {
        painter.setPen(kLimitColour);
        const QString label = QStringLiteral("limite %1 dB")
                                  .arg(QString::number(*report.settings.limitDb, 'f', 1)
                                           .replace(QLatin1Char('.'), QLatin1Char(',')));
        painter.drawText(
            QRectF(f.plot.left(), f.y(*report.settings.limitDb) - h * 1.1, f.plot.width() - h / 2, h),
            Qt::AlignRight | Qt::AlignVCenter, label);
    }
    painter.restore();
}

std::optional<int> BandIndexAt(double x, const QRectF& area, const QFontMetricsF& metrics,
                               const NightReport& night, const BandView& view) {
    if (night.band.empty()) return std::nullopt;
    const QRectF plot = BandPlotArea(area, metrics);
    if (x < plot.left() || x >= plot.right()) return std::nullopt;
    const auto [first, last] = shownRange(night, view);
    const int index = first + static_cast<int>((x - plot.left()) / plot.width() * (last - first));
    return std::clamp(index, first, last - 1);
}
