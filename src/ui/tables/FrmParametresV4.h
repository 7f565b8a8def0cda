#pragma once

#include "core/tables/ParametersForm.h"

#include <QHash>
#include <QWidget>

class QComboBox;
class QLabel;
class QPushButton;
struct AppContext;

// frmParametres_v4: the device parameters, and for generation 5 the history of their changes.
class frmParametres_v4 : public QWidget {
    Q_OBJECT
public:
    explicit frmParametres_v4(AppContext& context, QWidget* parent = nullptr);

    // Combo_Jour click: shows the parameters of history entry k (0 = newest).
    void chooseChange(int k);

    // The form of what the window shows now (the chosen change's values): what Cmd_Print prints.
    ParametersForm form() const;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void cmdPrint();
    void setBackground(const QColor& colour);

    AppContext& m_ctx;
    ParametersView m_loaded;
    ParametersView m_shown;
    QHash<QString, QLabel*> m_labels; // by name; the unit labels keep their last one
    QComboBox* m_combo = nullptr;
    QPushButton* m_print = nullptr;
    QPushButton* m_exit = nullptr;
};

QWidget* createFrmParametresV4(AppContext& context);
