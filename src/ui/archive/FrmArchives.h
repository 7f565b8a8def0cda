#pragma once

#include "core/archive/Archive.h"
#include "core/compliance/ComplianceNights.h"

#include <QPointer>
#include <QWidget>
#include <atomic>
#include <memory>

class CoverageCalendar;
class DlgVenues;
class QLabel;
class QLineEdit;
class QProgressDialog;
class QPushButton;
class QTableWidget;
struct AppContext;

// The Archives window: the archived devices, the coverage calendar of the chosen one, its downloads,
// and the commands that bring files in and periods out. It works on the program's archive (VORL_ARCHIVE
// or the default file) through its thread: each command gives a job and the window shows the result when
// it comes back, busy meanwhile but never frozen. When the archive cannot be opened the window says why
// and the rest of the program works on without it.
class FrmArchives : public QWidget {
    Q_OBJECT
public:
    explicit FrmArchives(AppContext& ctx, QWidget* parent = nullptr);
    ~FrmArchives() override;

    // Reads the devices again (after a transfer was archived, or F5), keeping the chosen device.
    void refresh();
    // False once the archive could not be opened (the window then says why).
    bool hasArchive() const;

    // The commands, as the buttons run them; their results come back once the archive has answered.
    void chooseDevice(int row);
    void importFiles(const QStringList& paths);
    // Puts the chosen days into the data in memory; a refusal is said in a message.
    void loadSelectedPeriod();
    void exportSelectedPeriod();
    void verifyArchive();
    // Removes the chosen device and all its downloads; runs only once its serial is typed in the
    // confirmation field (the button is off until then).
    void removeChosenDevice();
    // "Lieux ...": the venues and the days of their devices, in a dialog of its own (one at a time).
    void openVenues();

    CoverageCalendar* calendar() const { return m_calendar; }
    QTableWidget* devicesTable() const { return m_devices; }
    QTableWidget* downloadsTable() const { return m_downloads; }

protected:
    // Return runs the focused button, elsewhere loads the chosen days; Escape closes. Both reach the
    // window only when the control with the focus did not use them (an edited venue keeps its own).
    void keyPressEvent(QKeyEvent* event) override;

private:
    void archiveContentsChanged();
    void buildControls();
    void showDevice();
    // nightsProblem: why the nights have no verdict (the calendar then shows loudness alone).
    void showDevice(qint64 id, const Coverage& coverage, const std::vector<JudgedNight>& nights,
                    const QString& nightsProblem, const std::vector<ArchivedDownload>& downloads);
    void showDevices(ArchiveResult<std::vector<ArchivedDevice>> devices);
    struct ImportTally;
    void importDone(qint64 index, const QString& name,
                    const ArchiveResult<std::optional<ImportResult>>& result,
                    const std::shared_ptr<ImportTally>& tally);
    void updateCommands();
    qint64 currentDeviceId() const;
    void venueEdited(int row, int column);

    AppContext& m_ctx;
    std::vector<ArchivedDevice> m_deviceList;
    QLabel* m_location = nullptr;
    QTableWidget* m_devices = nullptr;
    QLabel* m_daysSince = nullptr;
    QLabel* m_weighting = nullptr;
    CoverageCalendar* m_calendar = nullptr;
    QWidget* m_loudnessLegend = nullptr; // shown for the nights no legal limit fits
    QLabel* m_chosen = nullptr;
    QTableWidget* m_downloads = nullptr;
    QPushButton* m_import = nullptr;
    QPushButton* m_load = nullptr;
    QPushButton* m_export = nullptr;
    QPushButton* m_verify = nullptr;
    QPushButton* m_venues = nullptr;
    QPointer<DlgVenues> m_venuesDialog;
    QLineEdit* m_removeSerial = nullptr;
    QPushButton* m_remove = nullptr;
    QPushButton* m_close = nullptr;
    QLabel* m_busy = nullptr;
    QPointer<QProgressDialog> m_importProgress;
    // Set by "Arrêter" or the window's close: the files not started yet are left out.
    std::shared_ptr<std::atomic_bool> m_stopImport;
    bool m_filling = false;
};
