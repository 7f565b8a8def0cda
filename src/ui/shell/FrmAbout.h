#pragma once

#include <QWidget>

class QLabel;
class QPushButton;
struct AppContext;

// frmAbout: the about box. It stands on its own beside the main window, which stays disabled while
// it is open and is enabled again however the box is closed (Ok, Escape, close box, program end).
class FrmAbout : public QWidget {
    Q_OBJECT
public:
    explicit FrmAbout(AppContext& context);
    ~FrmAbout() override;

Q_SIGNALS:
    // The box has closed; it goes at the next turn of the event loop.
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void releaseMain();

    AppContext& m_context;
    bool m_released = false;
};
