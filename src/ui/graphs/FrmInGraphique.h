#pragma once

#include "core/store/WindowId.h"

#include <QWidget>

class QDateEdit;
class QLineEdit;
class QPushButton;
class QRadioButton;
struct AppContext;

// frmInGraphique (firmware 3.2 data) and frmInGraphique_v5: the start day and length of a graph
// window, and for 3.2 data the thresholds and switch hours the device does not report. Ok stores
// them and opens the graph window.
class frmInGraphique : public QWidget {
    Q_OBJECT
public:
    frmInGraphique(AppContext& context, WindowId id, QWidget* parent = nullptr);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    bool withThresholds() const { return m_id == WindowId::frmInGraphique; }
    void buildThresholdBoxes(int top);
    void cmdChangeParametres();
    void cmdOk();

    AppContext& m_ctx;
    WindowId m_id;
    QDateEdit* m_date = nullptr;
    QRadioButton* m_one = nullptr;
    QRadioButton* m_three = nullptr;
    QRadioButton* m_seven = nullptr;
    QLineEdit* m_boxes[4] = {}; // txt_Leq_Jour, txt_Leq_Nuit, txt_Heure_Jour_Nuit, txt_Heure_Nuit_Jour
    QPushButton* m_change = nullptr;
};

QWidget* createFrmInGraphique(AppContext& context);
QWidget* createFrmInGraphiqueV5(AppContext& context);
