#pragma once

#include "core/archive/ArchiveTypes.h"

#include <QDialog>
#include <vector>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;
struct AppContext;

// "Lieux": the archive's venues with the days each device was there, a new venue, and a device
// attached to a venue from a first day to a last (either end may stay open). Like the Archives window
// it works through the archive's thread: each command is a job whose answer the dialog shows, on its
// message line for a refusal. The list is read again after each change.
class DlgVenues : public QDialog {
    Q_OBJECT
public:
    explicit DlgVenues(AppContext& ctx, QWidget* parent = nullptr);

    // Reads the venues, their devices and the archive's devices again, keeping the choices made.
    void refresh();
    void createVenue();
    void attachDevice();

    QTableWidget* venuesTable() const { return m_list; }
    // The last refusal or confirmation, as the message line shows it.
    QString messageText() const;

Q_SIGNALS:
    // A venue was made or a device attached: the Archives window reads its devices again.
    void archiveChanged();

protected:
    // Return runs the focused button, in the name field "Créer", elsewhere "Attacher"; Escape closes.
    void keyPressEvent(QKeyEvent* event) override;

private:
    struct Contents {
        std::vector<ArchivedVenue> venues;
        std::vector<VenueDevice> stays;
        std::vector<ArchivedDevice> devices;
    };
    void buildControls();
    void showContents(const ArchiveResult<Contents>& contents);
    void say(const QString& text, bool refused);
    void updateCommands();
    QString deviceText(qint64 deviceId) const;

    AppContext& m_ctx;
    Contents m_contents;
    qint64 m_chooseVenue = 0;  // the venue just made, chosen once the list is read again
    bool m_readFailed = false; // the message line says why the lists are empty
    QTableWidget* m_list = nullptr;
    QLineEdit* m_name = nullptr;
    QPushButton* m_create = nullptr;
    QComboBox* m_venue = nullptr;
    QComboBox* m_device = nullptr;
    QDateEdit* m_from = nullptr;
    QCheckBox* m_fromOpen = nullptr;
    QDateEdit* m_to = nullptr;
    QCheckBox* m_toOpen = nullptr;
    QPushButton* m_attach = nullptr;
    QPushButton* m_close = nullptr;
    QLabel* m_message = nullptr;
    QLabel* m_busy = nullptr;
};
