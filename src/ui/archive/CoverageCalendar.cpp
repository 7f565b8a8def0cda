#include "ui/archive/CoverageCalendar.h"

#include <QHelpEvent>
#include <QKeyEvent>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

namespace {
constexpr int kCell = 18;         // side of a day's square
constexpr int kGap = 2;           // between squares
constexpr int kLabelWidth = 96;   // the month names on the left
constexpr int kHeaderHeight = 18; // day numbers on top
constexpr int kMargin = 6;

QColor colour(uint32_t rgb) {
    return QColor::fromRgb(rgb);
}
} // namespace

CoverageCalendar::CoverageCalendar(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("CoverageCalendar"));
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(false);
    setAccessibleName(QStringLiteral("Calendrier de couverture"));
}

void CoverageCalendar::setMonths(std::vector<CalendarMonth> months) {
    m_months = std::move(months);
    m_selection.clear();
    m_cursor = {};
    updateGeometry();
    update();
    Q_EMIT selectionChanged();
}

void CoverageCalendar::setSelection(const QDate& first, const QDate& last) {
    m_selection.clear();
    m_selection.click(first, false);
    m_selection.click(last, true);
    m_cursor = last;
    update();
    Q_EMIT selectionChanged();
}

QSize CoverageCalendar::sizeHint() const {
    const int rows = std::max<int>(1, static_cast<int>(m_months.size()));
    return {2 * kMargin + kLabelWidth + 31 * (kCell + kGap),
            2 * kMargin + kHeaderHeight + rows * (kCell + kGap)};
}

QRect CoverageCalendar::cellRect(int monthRow, int day) const {
    return {kMargin + kLabelWidth + (day - 1) * (kCell + kGap),
            kMargin + kHeaderHeight + monthRow * (kCell + kGap), kCell, kCell};
}

QDate CoverageCalendar::dayAt(const QPoint& point) const {
    const int x = point.x() - kMargin - kLabelWidth, y = point.y() - kMargin - kHeaderHeight;
    if (x < 0 || y < 0) return {};
    const int column = x / (kCell + kGap), row = y / (kCell + kGap);
    if (row >= static_cast<int>(m_months.size()) || column >= 31) return {};
    const CalendarMonth& month = m_months[static_cast<std::size_t>(row)];
    if (column >= static_cast<int>(month.days.size())) return {};
    return month.days[static_cast<std::size_t>(column)].day;
}

const CalendarCell* CoverageCalendar::cellOf(const QDate& day) const {
    for (const CalendarMonth& month : m_months)
        if (month.year == day.year() && month.month == day.month() && day.day() <= int(month.days.size()))
            return &month.days[static_cast<std::size_t>(day.day() - 1)];
    return nullptr;
}

void CoverageCalendar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().base());
    const QLocale french(QLocale::French, QLocale::France);
    painter.setPen(palette().text().color());
    QFont small = font();
    small.setPointSizeF(small.pointSizeF() * 0.8);
    painter.setFont(small);
    for (int day = 1; day <= 31; ++day) {
        const QRect cell = cellRect(0, day);
        painter.drawText(QRect(cell.left() - 2, kMargin, kCell + 4, kHeaderHeight), Qt::AlignCenter,
                         QString::number(day));
    }
    painter.setFont(font());
    for (std::size_t row = 0; row < m_months.size(); ++row) {
        const CalendarMonth& month = m_months[row];
        const QRect first = cellRect(static_cast<int>(row), 1);
        painter.setPen(palette().text().color());
        painter.drawText(QRect(kMargin, first.top(), kLabelWidth - 6, kCell),
                         Qt::AlignVCenter | Qt::AlignLeft,
                         french.standaloneMonthName(month.month, QLocale::ShortFormat) + QLatin1Char(' ') +
                             QString::number(month.year));
        for (const CalendarCell& cell : month.days) {
            const QRect r = cellRect(static_cast<int>(row), cell.day.day());
            paintDay(painter, r, cell.cover, cell.colour(), cell.future);
            if (cell.day.dayOfWeek() == Qt::Monday) {
                painter.setPen(QPen(palette().mid().color(), 1));
                painter.drawLine(r.topLeft() + QPoint(-1, 0), r.bottomLeft() + QPoint(-1, 0));
            }
            if (m_selection.contains(cell.day)) {
                painter.setPen(QPen(palette().highlight().color(), 2));
                painter.drawRect(r.adjusted(1, 1, -1, -1));
            }
            if (cell.day == m_cursor && hasFocus()) {
                painter.setPen(QPen(palette().text().color(), 1, Qt::DotLine));
                painter.drawRect(r.adjusted(-1, -1, 0, 0));
            }
        }
    }
}

void CoverageCalendar::paintDay(QPainter& painter, const QRect& r, DayCover cover, uint32_t rgb,
                                bool future) {
    if (future) {
        painter.fillRect(r, colour(kFutureColour));
        painter.setPen(QPen(colour(kFutureEdgeColour), 1));
        painter.drawRect(r.adjusted(0, 0, -1, -1));
        return;
    }
    const QColor fill = colour(rgb);
    switch (cover) {
    case DayCover::Whole:
        painter.fillRect(r, fill);
        return;
    case DayCover::Partial:
        painter.fillRect(r, colour(kGapColour));
        painter.fillRect(r.adjusted(0, r.height() / 2, 0, 0), fill);
        return;
    case DayCover::None:
        painter.fillRect(r, colour(kGapColour));
        painter.fillRect(r, QBrush(colour(kGapHatchColour), Qt::BDiagPattern));
        painter.setPen(QPen(colour(kGapHatchColour), 1));
        painter.drawRect(r.adjusted(0, 0, -1, -1));
        return;
    }
}

void CoverageCalendar::choose(const QDate& day, bool extend) {
    if (!day.isValid()) return;
    m_selection.click(day, extend);
    m_cursor = day;
    update();
    Q_EMIT selectionChanged();
}

void CoverageCalendar::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
    choose(dayAt(event->position().toPoint()), event->modifiers() & Qt::ShiftModifier);
}

void CoverageCalendar::mouseMoveEvent(QMouseEvent* event) {
    if (!(event->buttons() & Qt::LeftButton)) return QWidget::mouseMoveEvent(event);
    const QDate day = dayAt(event->position().toPoint());
    if (day.isValid() && day != m_cursor) choose(day, true);
}

void CoverageCalendar::keyPressEvent(QKeyEvent* event) {
    if (m_months.empty()) return QWidget::keyPressEvent(event);
    QDate from = m_cursor.isValid() ? m_cursor : m_months.back().days.back().day;
    QDate to;
    switch (event->key()) {
    case Qt::Key_Left:
        to = from.addDays(-1);
        break;
    case Qt::Key_Right:
        to = from.addDays(1);
        break;
    case Qt::Key_Up:
        to = from.addMonths(-1);
        break;
    case Qt::Key_Down:
        to = from.addMonths(1);
        break;
    default:
        return QWidget::keyPressEvent(event);
    }
    if (cellOf(to)) choose(to, event->modifiers() & Qt::ShiftModifier);
}

bool CoverageCalendar::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const CalendarCell* cell = cellOf(dayAt(help->pos()));
        if (cell && dayAt(help->pos()).isValid())
            QToolTip::showText(help->globalPos(), cell->toolTip, this);
        else
            QToolTip::hideText();
        return true;
    }
    return QWidget::event(event);
}
