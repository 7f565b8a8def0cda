#pragma once

#include "core/link/Transfer.h"
#include "core/link/WaitProgress.h"

#include <QWidget>
#include <functional>

class QLabel;
class QProgressBar;
class QPushButton;
struct AppContext;

// frmWait: the progress window of a transfer, with its bars for the transmission, the classification
// and the whole treatment. Closing it (its "Annuler" button or its close box) is the cancel of the
// running transfer.
class FrmWait : public QWidget, public ProgressSink {
    Q_OBJECT
public:
    explicit FrmWait(AppContext& context, QWidget* parent = nullptr);
    ~FrmWait() override;

    // ProgressSink
    void progressTick() override;
    void transmissionNearlyDone() override;

    // What closes the serial port of the running transfer when the window closes.
    void setPortCloser(std::function<void()> closer) { m_closePort = std::move(closer); }
    const WaitProgress& progress() const { return m_progress; }

    QLabel* Label_Transmission = nullptr;
    QProgressBar* ProgressBar_Transmission = nullptr;
    QLabel* Picture_Transmit_Ok = nullptr;
    QLabel* Label_Classement = nullptr;
    QProgressBar* ProgressBar_Classement = nullptr;
    QLabel* Picture_Classement_Ok = nullptr;
    QLabel* Label_Traitement = nullptr;
    QProgressBar* ProgressBar_Traitement = nullptr;
    QLabel* Label_Pourcentage = nullptr;
    QPushButton* Cmd_Annuler = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void unload();
    void refresh();

    AppContext& m_context;
    WaitProgress m_progress;
    std::function<void()> m_closePort;
    bool m_unloaded = false;
};
