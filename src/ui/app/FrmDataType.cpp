#include "ui/app/FrmDataType.h"

#include "ui/shell/AppContext.h"
#include "ui/widgets/DialogControls.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

// The dialog's effects on windows. It lives on the stack of the Ok handler, not in the dialog: once
// the next window opens, the housekeeping unloads the dialog while its handler is still running.
class DialogWindows : public DataSourceWindows {
public:
    DialogWindows(AppContext& ctx, QWidget* dialog) : m_ctx(ctx), m_dialog(dialog) {}

    void setDialogVisible(bool visible) override {
        if (!m_dialog) return;
        // Inside the main window the dialog sits in a sub-window frame, which is what must hide.
        QWidget* frame = qobject_cast<QMdiSubWindow*>(m_dialog->parentWidget()) ? m_dialog->parentWidget()
                                                                                : m_dialog.data();
        frame->setVisible(visible);
    }
    void closeDialog() override { closeWindow(WindowId::frmData_Type); }
    void closeWindow(WindowId id) override {
        if (!isTrue(openFlag(m_ctx.store, id))) return;
        m_ctx.windows.unloadWindow(id);
        openFlag(m_ctx.store, id) = kFalse;
    }
    void openWindow(WindowId id) override { m_ctx.windows.open(id); }

private:
    AppContext& m_ctx;
    QPointer<QWidget> m_dialog;
};

} // namespace

FrmDataType::FrmDataType(AppContext& ctx, QWidget* parent) : QWidget(parent), m_ctx(ctx) {
    m_ctx.windows.closeOpenWindows();
    m_ctx.store.Open_frmData_Type = kTrue;
    m_loaded = true;

    setObjectName(QStringLiteral("frmData_Type"));
    setWindowTitle(QStringLiteral("Sélection du type de données"));

    m_frame1 = new QGroupBox(this);
    m_frame1->setObjectName(QStringLiteral("Frame1"));
    auto option = [&](const char* name, const QString& caption) {
        auto* button = new QRadioButton(caption, m_frame1);
        button->setObjectName(QString::fromLatin1(name));
        button->installEventFilter(this);
        connect(button, &QRadioButton::clicked, this, [this, button] { selectOption(button); });
        return button;
    };
    m_optionLastData = option("Option_Last_Data", QStringLiteral("Dernières données utilisées"));
    m_optionNewSave = option("Option_New_Save", QStringLiteral("Données sauvegardées"));
    m_optionNewTransfert = option("Option_New_Transfert",
                                  QStringLiteral("Nouvelles Données  (Transfert des données du QLV 40)"));

    m_textSaveData = new QLineEdit(m_frame1);
    m_textSaveData->setObjectName(QStringLiteral("Text_Save_Data"));
    m_textSaveData->setReadOnly(true); // only the file chooser fills it, so it always matches Save_File_Path
    m_cmdSearch = new QPushButton(QStringLiteral("..."), m_frame1);
    m_cmdSearch->setObjectName(QStringLiteral("Cmd_Search"));
    m_cmdOk = new QPushButton(QStringLiteral("Ok"), this);
    m_cmdOk->setObjectName(QStringLiteral("Cmd_Ok"));
    m_cmdAnnuler = new QPushButton(QStringLiteral("Annuler"), this);
    m_cmdAnnuler->setObjectName(QStringLiteral("Cmd_Annuler"));

    auto* frameLayout = new QGridLayout(m_frame1);
    frameLayout->addWidget(m_optionLastData, 0, 0, 1, 2);
    frameLayout->addWidget(m_optionNewSave, 1, 0, 1, 2);
    frameLayout->addWidget(m_textSaveData, 2, 0);
    frameLayout->addWidget(m_cmdSearch, 2, 1);
    frameLayout->addWidget(m_optionNewTransfert, 3, 0, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_cmdOk);
    buttons->addWidget(m_cmdAnnuler);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_frame1);
    layout->addLayout(buttons);

    connect(m_cmdSearch, &QPushButton::clicked, this, &FrmDataType::searchClicked);
    connect(m_cmdOk, &QPushButton::clicked, this, &FrmDataType::okClicked);
    connect(m_cmdAnnuler, &QPushButton::clicked, this, [this] { DialogWindows(m_ctx, this).closeDialog(); });
    InstallDialogKeys(this, m_cmdOk, m_cmdAnnuler);

    const DataSourceLoadState state = DataSourceStateAtLoad(m_ctx.store);
    m_frame1->setTitle(state.frameCaption);
    m_optionNewTransfert->setEnabled(state.transferEnabled);
    m_optionLastData->setEnabled(state.lastDataEnabled);
    m_cmdOk->setEnabled(false);
    if (state.selected == DataSourceOption::LastData) selectOption(m_optionLastData);
    if (state.selected == DataSourceOption::SaveFile) selectOption(m_optionNewSave);
}

FrmDataType::~FrmDataType() {
    unload();
}

void FrmDataType::selectOption(QRadioButton* option) {
    option->setChecked(true);
    m_cmdOk->setEnabled(true);
}

bool FrmDataType::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonDblClick) {
        if (auto* option = qobject_cast<QRadioButton*>(watched); option && option->isEnabled()) {
            selectOption(option);
            okClicked();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void FrmDataType::searchClicked() {
    const QString shown = SearchSaveFile(m_ctx.store, m_ctx.ui);
    m_textSaveData->setText(shown);
    m_textSaveData->setToolTip(m_ctx.store.Save_File_Path);
    // A file just chosen is the data the user means: Ok opens it rather than the data in memory.
    if (!shown.isEmpty()) selectOption(m_optionNewSave);
}

DataSourceOption FrmDataType::selectedOption() const {
    if (m_optionLastData->isChecked()) return DataSourceOption::LastData;
    if (m_optionNewSave->isChecked()) return DataSourceOption::SaveFile;
    if (m_optionNewTransfert->isChecked()) return DataSourceOption::Transfer;
    return DataSourceOption::None;
}

void FrmDataType::okClicked() {
    // Copied before the handler runs: from here on the dialog may be unloaded under our feet.
    const DataSourceOption option = selectedOption();
    const QString shownFile = m_textSaveData->text();
    AppContext& ctx = m_ctx;
    DialogWindows windows(ctx, this);
    DataSourceEnv env{ctx.store, ctx.ui, ctx.shell, ctx.transfer, windows};
    DataSourceOk(env, option, shownFile);
}

void FrmDataType::closeEvent(QCloseEvent* event) {
    unload();
    event->accept();
}

void FrmDataType::unload() {
    if (!m_loaded) return;
    m_loaded = false;
    m_ctx.store.Open_frmData_Type = kFalse;
}

QWidget* createFrmDataType(AppContext& ctx) {
    return new FrmDataType(ctx);
}
