#include "core/graphs/ZoomSelection.h"

#include "core/graphs/GraphContent.h"

#include <QStringList>
#include <algorithm>
#include <cmath>

namespace {
// One decimal, halves away from zero, as the range has always been rounded.
double oneDecimal(double value) {
    return std::round(value * 10) / 10;
}
} // namespace

std::optional<ZoomRange> selectedZoomRange(double startX, double startY, double endX, double endY,
                                           double releaseX, double releaseY) {
    // The tests read the last point the mouse moved to; the range takes the release point.
    const double a = std::abs(startY), b = std::abs(endY);
    if (startX - 1 < endX && endX <= startX) return std::nullopt;
    if (a - b >= 0 && a - b < 5) return std::nullopt;

    double x1 = startX, x2 = releaseX, y1 = startY, y2 = releaseY;
    if (x1 > x2) std::swap(x1, x2);
    if (std::abs(y2) < std::abs(y1)) std::swap(y1, y2);
    ZoomRange range{oneDecimal(x1), oneDecimal(x2), oneDecimal(std::abs(y1)), oneDecimal(std::abs(y2))};
    // A range that rounds to nothing would give the box a zero scale.
    if (!(range.x2 > range.x1) || !(range.y2 > range.y1)) return std::nullopt;
    return range;
}

std::optional<ZoomRange> zoomRangeFromText(const QString& text) {
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 4) return std::nullopt;
    double v[4];
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        v[i] = parts.at(i).trimmed().toDouble(&ok);
        if (!ok || !std::isfinite(v[i])) return std::nullopt;
    }
    ZoomRange range{oneDecimal(std::min(v[0], v[1])), oneDecimal(std::max(v[0], v[1])),
                    oneDecimal(std::min(std::abs(v[2]), std::abs(v[3]))),
                    oneDecimal(std::max(std::abs(v[2]), std::abs(v[3])))};
    if (!(range.x2 > range.x1) || !(range.y2 > range.y1)) return std::nullopt;
    return range;
}

void ZoomSelection::reset() {
    m_selecting = kFalse;
    m_startX = m_startY = m_endX = m_endY = 0;
}

void ZoomSelection::mouseDown(const Canvas& box, bool leftButton, double x, double y) {
    if (box.isEnlargedSize() && leftButton) {
        m_selecting = kTrue;
        m_startX = m_endX = x;
        m_startY = m_endY = y;
    } else {
        reset();
    }
}

std::optional<RubberBand> ZoomSelection::mouseMove(GraphId graph, double x, double y) {
    if (m_selecting != kTrue) return std::nullopt;
    const QString suffix = graphControlNames(graph).lineSuffix;
    RubberBand band = {{
        {QStringLiteral("Line_Haut") + suffix, m_startX, m_startY, x, m_startY},
        {QStringLiteral("Line_Bas") + suffix, m_startX, y, x, y},
        {QStringLiteral("Line_Droite") + suffix, m_startX, m_startY, m_startX, y},
        {QStringLiteral("Line_Gauche") + suffix, x, m_startY, x, y},
    }};
    m_endX = x;
    m_endY = y;
    return band;
}

ZoomRelease ZoomSelection::mouseUp(GraphId graph, Canvas& box, DataStore& store, double x, double y) {
    ZoomRelease release;
    release.zoomToolTip = GraphWindowTexts::kLeaveZoom;
    const auto range = selectedZoomRange(m_startX, m_startY, m_endX, m_endY, x, y);
    // A release on a box that is no longer enlarged has nothing to zoom.
    if (range && box.isEnlargedSize()) {
        release.accepted = true;
        release.range = *range;
        release.hidePrintButton = true;
        release.grid = DrawZoomedGraph(graph, box, store, *range, m_last);
        release.zoomButton = ZoomedButtonPlace(box, release.grid);
        m_last = *range;
    }
    reset();
    return release;
}

ZoomGrid DrawZoomedGraph(GraphId graph, Canvas& box, DataStore& store, const ZoomRange& range,
                         const ZoomRange& previous) {
    box.clear();
    store.Mouse_Zoom_Active = kTrue;
    // The previous labels and grid are erased in the scale they were drawn in.
    PrintZoomDayLabels(box, store, static_cast<int>(std::floor(previous.x1)),
                       static_cast<int>(std::floor(previous.x2)), kWhite);
    ShowZoomGrid(box, store.Graph_Days, kFalse);

    box.setScale(range.x1, -range.y2, range.x2 - range.x1, range.y2 - range.y1);
    ZoomGrid grid = ShowZoomGrid(box, store.Graph_Days, kTrue);
    DrawGraphContent(box, store, graph, ContentOrder::MouseZoom);
    PrintZoomDayLabels(box, store, static_cast<int>(std::floor(range.x1)),
                       static_cast<int>(std::floor(range.x2)), kBlack);
    return grid;
}

TwipsBox ZoomedButtonPlace(const Canvas& box, const ZoomGrid& grid) {
    const LevelLabelColumns& labels = grid.levelLabels;
    const double twipsPerX = box.boxWidth() / (box.scaleWidth() == 0 ? 1.0 : box.scaleWidth());
    const double twipsPerY = box.boxHeight() / (box.scaleHeight() == 0 ? 1.0 : std::abs(box.scaleHeight()));
    auto toTwips = [&](double x) { return (x - box.scaleLeft()) * twipsPerX; };
    const double leftEnd = toTwips(labels.leftEnd), rightStart = toTwips(labels.rightStart);
    const double rightEnd = toTwips(labels.rightEnd);
    const double size = kBoxButtonSize, gap = kBoxButtonTop, width = box.boxWidth();
    const auto clear = [&](double left) {
        return left >= leftEnd + gap && left + size <= width &&
               (left + size + gap <= rightStart || left >= rightEnd + gap);
    };
    // The hour labels run along the top edge: the button stands below them.
    const int top = qRound(gap + labels.labelHeight * twipsPerY);
    for (const double left : {width - gap - size, rightStart - gap - size, rightEnd + gap})
        if (clear(left)) return {qRound(left), top, kBoxButtonSize, kBoxButtonSize};
    return {qRound(width - gap - size), top, kBoxButtonSize, kBoxButtonSize};
}
