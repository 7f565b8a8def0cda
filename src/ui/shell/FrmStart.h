#pragma once

#include <QWidget>

class QLabel;
class Clock;
class MainShell;

// frmStart: the start-up splash with the program's name and the pictures of the logo and the device.
class FrmStart : public QWidget {
    Q_OBJECT
public:
    explicit FrmStart(QWidget* centreOn = nullptr);

    // Shows the splash for the splash time with the main window disabled, then enables it again.
    // The wait runs the window events, so the program stays responsive to the window system.
    void runLoadSequence(MainShell& shell, Clock& clock);

private:
    QLabel* m_logo = nullptr;
    QLabel* m_device = nullptr;
};
