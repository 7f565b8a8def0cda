#pragma once

#include "core/app/DataSourceLogic.h"

#include <QWidget>

struct AppContext;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

// frmData_Type: where the data of an analysis command comes from (the data in memory, a save file
// or the device), then the window of the requested view.
class FrmDataType : public QWidget {
    Q_OBJECT
public:
    explicit FrmDataType(AppContext& ctx, QWidget* parent = nullptr);
    ~FrmDataType() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void selectOption(QRadioButton* option);
    void searchClicked();
    void okClicked();
    DataSourceOption selectedOption() const;
    void unload();

    AppContext& m_ctx;
    bool m_loaded = false;
    QGroupBox* m_frame1 = nullptr;
    QRadioButton* m_optionLastData = nullptr;
    QRadioButton* m_optionNewSave = nullptr;
    QLineEdit* m_textSaveData = nullptr;
    QPushButton* m_cmdSearch = nullptr;
    QRadioButton* m_optionNewTransfert = nullptr;
    QPushButton* m_cmdOk = nullptr;
    QPushButton* m_cmdAnnuler = nullptr;
};

QWidget* createFrmDataType(AppContext& ctx);
