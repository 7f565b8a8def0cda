#include "ui/compliance/ComplianceBandWidget.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

namespace {
constexpr int kFewestMinutesShown = 30;
constexpr double kZoomStep = 1.25;
constexpr int kWheelStep = 120;

QString dbText(const std::optional<double>& db) {
    return db ? BoundText(db).replace(QLatin1Char('.'), QLatin1Char(',')) + QStringLiteral(" dB")
              : QStringLiteral("inconnue");
}
} // namespace

ComplianceBandWidget::ComplianceBandWidget(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("BandPlot"));
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(360, 220);
    setAccessibleName(QStringLiteral("Niveau sur 15 minutes : bornes de la nuit"));
}

const NightReport* ComplianceBandWidget::night() const {
    if (!m_report || m_night < 0 || m_night >= static_cast<int>(m_report->nights.size())) return nullptr;
    return &m_report->nights[static_cast<std::size_t>(m_night)];
}

int ComplianceBandWidget::bandSize() const {
    const NightReport* n = night();
    return n ? static_cast<int>(n->band.size()) : 0;
}

void ComplianceBandWidget::setNight(std::shared_ptr<const ComplianceReport> report, int nightIndex) {
    m_report = std::move(report);
    m_night = nightIndex;
    showWholeNight();
}

void ComplianceBandWidget::showWholeNight() {
    m_view.first = 0;
    m_view.last = -1;
    m_view.selectedEpisode.reset();
    m_view.cursor.reset();
    update();
}

void ComplianceBandWidget::showEpisode(int episode) {
    const NightReport* n = night();
    if (!n) return;
    const auto runs = BandEpisodeRuns(*n);
    if (episode < 0 || episode >= static_cast<int>(runs.size())) return;
    const auto [from, to] = runs[static_cast<std::size_t>(episode)];
    // The episode with as much again around it, at least an hour.
    const int margin = std::max(30, (to - from) / 2);
    m_view.first = std::max(0, from - margin);
    m_view.last = std::min(bandSize(), to + margin);
    m_view.selectedEpisode = episode;
    update();
}

QString ComplianceBandWidget::readOut(int index) const {
    const NightReport* n = night();
    if (!n || index < 0 || index >= bandSize()) return {};
    const BandPoint& p = n->band[static_cast<std::size_t>(index)];
    const QDateTime end = p.start.addSecs(60LL * m_report->settings.durationMinutes);
    QString text = p.start.toString(QStringLiteral("dd/MM hh:mm")) + QStringLiteral(" – ") +
                   end.toString(QStringLiteral("hh:mm")) + QStringLiteral(" : borne basse ") +
                   dbText(p.lowerDb) + QStringLiteral(", borne haute ") +
                   (p.upperDb ? dbText(p.upperDb) : QStringLiteral("non bornée"));
    if (p.verdict != Verdict::None) text += QStringLiteral(" — ") + VerdictText(p.verdict);
    return text;
}

void ComplianceBandWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    if (const NightReport* n = night())
        PaintComplianceBand(painter, QRectF(rect()).adjusted(4, 4, -4, -4), *m_report, *n, m_view);
}

void ComplianceBandWidget::zoom(double factor, double anchor) {
    const int size = bandSize();
    if (size == 0) return;
    const int first = m_view.first, last = m_view.last < 0 ? size : m_view.last;
    const double centre = first + anchor * (last - first);
    const int span = std::clamp(static_cast<int>(std::lround((last - first) * factor)),
                                std::min(size, kFewestMinutesShown), size);
    m_view.first = std::clamp(static_cast<int>(std::lround(centre - anchor * span)), 0, size - span);
    m_view.last = m_view.first + span;
    update();
}

void ComplianceBandWidget::pan(int minutes) {
    const int size = bandSize();
    if (size == 0) return;
    const int last = m_view.last < 0 ? size : m_view.last, span = last - m_view.first;
    m_view.first = std::clamp(m_view.first + minutes, 0, size - span);
    m_view.last = m_view.first + span;
    update();
}

void ComplianceBandWidget::wheelEvent(QWheelEvent* event) {
    const QRectF plot = BandPlotArea(QRectF(rect()).adjusted(4, 4, -4, -4), QFontMetricsF(font()));
    const double anchor = std::clamp((event->position().x() - plot.left()) / plot.width(), 0.0, 1.0);
    // A mouse wheel sends 120 per notch, a touchpad many small deltas: they add up to whole steps.
    m_wheelAngle += event->angleDelta().y();
    const int steps = m_wheelAngle / kWheelStep;
    m_wheelAngle -= steps * kWheelStep;
    for (int i = 0; i < std::abs(steps); ++i)
        zoom(steps > 0 ? 1 / kZoomStep : kZoomStep, anchor);
    event->accept();
}

void ComplianceBandWidget::mouseMoveEvent(QMouseEvent* event) {
    const NightReport* n = night();
    if (!n) return;
    m_view.cursor = BandIndexAt(event->position().x(), QRectF(rect()).adjusted(4, 4, -4, -4),
                                QFontMetricsF(font()), *n, m_view);
    Q_EMIT hovered(m_view.cursor ? readOut(*m_view.cursor) : QString());
    update();
}

void ComplianceBandWidget::mouseDoubleClickEvent(QMouseEvent*) {
    showWholeNight();
}

void ComplianceBandWidget::leaveEvent(QEvent*) {
    m_view.cursor.reset();
    Q_EMIT hovered(QString());
    update();
}

void ComplianceBandWidget::keyPressEvent(QKeyEvent* event) {
    const int size = bandSize();
    const int span = (m_view.last < 0 ? size : m_view.last) - m_view.first;
    switch (event->key()) {
    case Qt::Key_Plus:
        zoom(1 / kZoomStep, 0.5);
        break;
    case Qt::Key_Minus:
        zoom(kZoomStep, 0.5);
        break;
    case Qt::Key_Left:
        pan(-std::max(1, span / 8));
        break;
    case Qt::Key_Right:
        pan(std::max(1, span / 8));
        break;
    case Qt::Key_Home:
        showWholeNight();
        break;
    default:
        QWidget::keyPressEvent(event);
    }
}
