#pragma once

#include "core/compliance/ComplianceReport.h"

#include <QWidget>
#include <memory>

struct AppContext;
class ComplianceBandWidget;
class QButtonGroup;
class QComboBox;
class QDateEdit;
class QDoubleSpinBox;
class QLabel;
class QPlainTextEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTableWidget;

// "Conformité": the sliding level of the data in memory or of an archived device against a legal or
// free limit, night by night, with the band plot of the chosen night and its episodes; prints the
// report or writes it as PDF. A resizable window of its own, usable from the keyboard.
class ComplianceWindow : public QWidget {
    Q_OBJECT
public:
    explicit ComplianceWindow(AppContext& context, QWidget* parent = nullptr);
    ~ComplianceWindow() override;

    // Shows a report (what the "Calculer" button does once the report is built).
    void setReport(ComplianceReport report);
    const ComplianceReport* report() const { return m_report.get(); }
    // Whether printing and export are offered: a report is shown and no choice changed since.
    bool reportCurrent() const;

    QTableWidget* nightTable() const { return m_nights; }
    QListWidget* episodeList() const { return m_episodes; }
    ComplianceBandWidget* bandPlot() const { return m_plot; }

    void compute();
    void printReport();
    void exportPdf();

private:
    void buildControls();
    void sourceChanged();
    void presetChanged();
    void markRecordDays();
    void showNight(int row);
    void markStale();
    std::optional<ComplianceSettings> chosenSettings(Weighting dataWeighting) const;

    AppContext& m_ctx;
    std::shared_ptr<const ComplianceReport> m_report;
    bool m_stale = false;
    QRadioButton* m_fromMemory = nullptr;
    QRadioButton* m_fromArchive = nullptr;
    QComboBox* m_devices = nullptr;
    QDateEdit* m_from = nullptr;
    QDateEdit* m_to = nullptr;
    QComboBox* m_preset = nullptr;
    QDoubleSpinBox* m_limit = nullptr;
    QSpinBox* m_duration = nullptr;
    QTableWidget* m_nights = nullptr;
    QListWidget* m_episodes = nullptr;
    ComplianceBandWidget* m_plot = nullptr;
    QLabel* m_readOut = nullptr;
    QLabel* m_summary = nullptr;
    QPlainTextEdit* m_notes = nullptr;
    QPushButton* m_print = nullptr;
    QPushButton* m_pdf = nullptr;
};

// Opens the window (one per call), for the "Conformité ..." entry of the archives menu.
void OpenComplianceWindow(AppContext& context, QWidget* parent = nullptr);
