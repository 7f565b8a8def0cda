#pragma once

#include "core/files/SaveProgress.h"

#include <QWidget>

struct AppContext;
class QLabel;
class QProgressBar;

// frmWait_Save: the progress of a save. It has no button: a save cannot be cancelled, and the
// window closes itself once the file is written.
class FrmWaitSave : public QWidget {
    Q_OBJECT
public:
    explicit FrmWaitSave(AppContext& ctx, QWidget* parent = nullptr);
    ~FrmWaitSave() override;

    void showProgress(const SaveProgressView& view);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void unload();

    AppContext& m_ctx;
    bool m_loaded = false;
    QProgressBar* m_progressBar = nullptr;
    QLabel* m_labelSaveEnCours = nullptr;
    QLabel* m_labelPatientez = nullptr;
    QLabel* m_labelProgression = nullptr;
    QLabel* m_pictureGood = nullptr;
};

QWidget* createFrmWaitSave(AppContext& ctx);
