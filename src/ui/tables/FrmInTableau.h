#pragma once

#include <QWidget>

class QDateEdit;
class QPushButton;
struct AppContext;

// frmInTableau: asks for the first and last day of a table's period, then opens the table window
// of the requested view and the data's generation. The period stays in the store for next time.
class frmInTableau : public QWidget {
    Q_OBJECT
public:
    explicit frmInTableau(AppContext& context, QWidget* parent = nullptr);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void startChanged();
    void endChanged();
    void cmdOk();

    AppContext& m_ctx;
    QDateEdit* m_start = nullptr;
    QDateEdit* m_end = nullptr;
    QPushButton* m_ok = nullptr;
};

QWidget* createFrmInTableau(AppContext& context);
