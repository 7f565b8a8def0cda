#pragma once

#include "core/compliance/ComplianceReport.h"
#include "paint/ComplianceBandPlot.h"

#include <QWidget>
#include <memory>

// The band plot of one night on screen: the mouse wheel (or + and -) zooms around the pointer, the
// arrow keys move along the night, Home or a double click shows the whole night; the pointer reads out
// both bounds and the verdict of the window under it.
class ComplianceBandWidget : public QWidget {
    Q_OBJECT
public:
    explicit ComplianceBandWidget(QWidget* parent = nullptr);

    // The night to show; the widget shares the report, so a window that replaces its own leaves the plot
    // reading a whole one. Null shows nothing.
    void setNight(std::shared_ptr<const ComplianceReport> report, int night);
    const ComplianceReport* report() const { return m_report.get(); }
    // Zooms onto an episode of the night and picks it out.
    void showEpisode(int episode);
    void showWholeNight();

    const BandView& view() const { return m_view; }
    // The read-out of a window of the night: its times, both bounds and its verdict.
    QString readOut(int index) const;

Q_SIGNALS:
    void hovered(const QString& readOut);

protected:
    void paintEvent(QPaintEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    const NightReport* night() const;
    int bandSize() const;
    void zoom(double factor, double anchor);
    void pan(int minutes);

    std::shared_ptr<const ComplianceReport> m_report;
    int m_night = -1;
    BandView m_view;
    int m_wheelAngle = 0; // eighths of a degree not yet used: touchpads send small steps
};
