#pragma once

#include "core/archive/ArchiveCalendar.h"

#include <QWidget>

class QPainter;
#include <vector>

// The coverage calendar of one device: a row per month, a column per day of the month. A day is
// filled with the colour of its night's verdict (or loudness) when covered (the lower half only when
// partly covered), left pale and hatched when not covered, and plain after today. Days are chosen with a
// click, a shift-click or a drag, or from the keyboard (arrows move a day or a month, shift stretches the
// choice).
class CoverageCalendar : public QWidget {
    Q_OBJECT
public:
    explicit CoverageCalendar(QWidget* parent = nullptr);

    void setMonths(std::vector<CalendarMonth> months);
    const CalendarSelection& selection() const { return m_selection; }
    void setSelection(const QDate& first, const QDate& last);

    QSize sizeHint() const override;
    // One day's square as the calendar draws it (the legend uses it too).
    static void paintDay(QPainter& painter, const QRect& square, DayCover cover, uint32_t colour,
                         bool future = false);
    // The day under a point of the widget; invalid between the cells.
    QDate dayAt(const QPoint& point) const;

Q_SIGNALS:
    void selectionChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool event(QEvent* event) override;

private:
    QRect cellRect(int monthRow, int day) const;
    const CalendarCell* cellOf(const QDate& day) const;
    void choose(const QDate& day, bool extend);

    std::vector<CalendarMonth> m_months;
    CalendarSelection m_selection;
    QDate m_cursor; // the day the keyboard moves from
};
