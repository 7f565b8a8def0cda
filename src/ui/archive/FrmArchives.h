#pragma once

#include "core/archive/Archive.h"

#include <QWidget>
#include <memory>

class CoverageCalendar;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;
struct AppContext;

// The Archives window: the archived devices, the coverage calendar of the chosen one, its downloads,
// and the commands that bring files in and periods out. It opens the archive in force (VORL_ARCHIVE
// or the default file); when that fails it says why and the rest of the program works on without it.
class FrmArchives : public QWidget {
    Q_OBJECT
public:
    explicit FrmArchives(AppContext& ctx, QWidget* parent = nullptr);
    ~FrmArchives() override;

    // Reads the devices again (after a transfer was archived, or F5), keeping the chosen device.
    void refresh();
    bool hasArchive() const { return m_archive != nullptr; }

    // The commands, as the buttons run them.
    void chooseDevice(int row);
    void importFiles(const QStringList& paths);
    // Puts the chosen days into the data in memory; false (with a message) when refused.
    bool loadSelectedPeriod();
    void exportSelectedPeriod();
    void verifyArchive();
    // Removes the chosen device and all its downloads; runs only once its serial is typed in the
    // confirmation field (the button is off until then).
    void removeChosenDevice();

    CoverageCalendar* calendar() const { return m_calendar; }
    QTableWidget* devicesTable() const { return m_devices; }
    QTableWidget* downloadsTable() const { return m_downloads; }

protected:
    // Return runs the focused button, elsewhere loads the chosen days; Escape closes. Both reach the
    // window only when the control with the focus did not use them (an edited venue keeps its own).
    void keyPressEvent(QKeyEvent* event) override;

private:
    void buildControls();
    void showDevice();
    void updateCommands();
    qint64 currentDeviceId() const;
    void venueEdited(int row, int column);

    AppContext& m_ctx;
    std::unique_ptr<Archive> m_archive;
    std::vector<ArchivedDevice> m_deviceList;
    QLabel* m_location = nullptr;
    QTableWidget* m_devices = nullptr;
    QLabel* m_daysSince = nullptr;
    QLabel* m_weighting = nullptr;
    CoverageCalendar* m_calendar = nullptr;
    QLabel* m_chosen = nullptr;
    QTableWidget* m_downloads = nullptr;
    QPushButton* m_import = nullptr;
    QPushButton* m_load = nullptr;
    QPushButton* m_export = nullptr;
    QPushButton* m_verify = nullptr;
    QLineEdit* m_removeSerial = nullptr;
    QPushButton* m_remove = nullptr;
    QPushButton* m_close = nullptr;
    bool m_filling = false;
};
