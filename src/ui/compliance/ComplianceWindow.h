#pragma once

#include "core/archive/ArchiveResult.h"
#include "core/archive/ArchiveTypes.h"
#include "core/compliance/ComplianceReport.h"

#include <QSet>
#include <QWidget>
#include <memory>
#include <vector>

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

// The limit chosen in the window, as plain values a computation away from the window can use.
struct LimitChoice {
    int item = 0;     // in the preset list: 0 the data's own legal limit, then the presets
    int freeItem = 0; // the free limit's item
    double limitDb = 0;
    int durationMinutes = 0;
};

// "Conformité": the sliding level of the data in memory or of an archived device against a legal or
// free limit, night by night, with the band plot of the chosen night and its episodes; prints the
// report or writes it as PDF. A resizable window of its own, usable from the keyboard. The archive is
// read, and its report computed, on the archive's thread.
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
    void listDevices(const ArchiveResult<std::vector<ArchivedDevice>>& devices);
    void markRecordDays();
    void markDays(const QSet<QDate>& days);
    void showNight(int row);
    void markStale();
    LimitChoice chosenLimit() const;

    AppContext& m_ctx;
    std::shared_ptr<const ComplianceReport> m_report;
    bool m_stale = false;
    int m_choiceChanges = 0; // tells a report computed meanwhile that its choices are no longer shown
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
    QPushButton* m_compute = nullptr;
    QLabel* m_busy = nullptr;
};

// Opens the window (one per call), for the "Conformité ..." entry of the archives menu.
void OpenComplianceWindow(AppContext& context, QWidget* parent = nullptr);
