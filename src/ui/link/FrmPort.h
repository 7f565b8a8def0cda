#pragma once

#include <QWidget>
#include <array>

class QButtonGroup;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
struct AppContext;

// frmPort: the choice of the serial port and of the device generation. It probes the sixteen ports
// as it opens and offers only those that can be opened; the choice goes to Com_Port and
// Device_Version and shows in the main window's title.
class FrmPort : public QWidget {
    Q_OBJECT
public:
    explicit FrmPort(AppContext& context, QWidget* parent = nullptr);

    QRadioButton* optionCom(int port) const; // 1..16
    QRadioButton* optionVersion3() const { return m_optionVersion3; }
    QRadioButton* optionVersion5() const { return m_optionVersion5; }
    QPushButton* cmdOk() const { return m_cmdOk; }
    QPushButton* cmdAnnuler() const { return m_cmdAnnuler; }

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void load();
    void cmdOkClick();
    void unload();
    int selectedPort() const;
    int selectedVersion() const;

    AppContext& m_context;
    QGroupBox* m_frame1 = nullptr;
    QGroupBox* m_frame2 = nullptr;
    QButtonGroup* m_comGroup = nullptr;
    QButtonGroup* m_versionGroup = nullptr;
    std::array<QRadioButton*, 17> m_optionCom{}; // index 1..16
    QRadioButton* m_optionVersion3 = nullptr;
    QRadioButton* m_optionVersion5 = nullptr;
    QLabel* m_label1 = nullptr;
    QPushButton* m_cmdOk = nullptr;
    QPushButton* m_cmdAnnuler = nullptr;
    bool m_unloaded = false;
};

// The window factory's entry for frmPort: builds the window and runs its load.
QWidget* createFrmPort(AppContext& context);
