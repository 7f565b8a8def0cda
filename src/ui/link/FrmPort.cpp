#include "ui/link/FrmPort.h"
#include "ui/widgets/DialogControls.h"

#include "core/link/PortSelection.h"
#include "ui/shell/AppContext.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {
// The window's own texts.
const QString kCaption = QStringLiteral("Selection du Port de Communication");
const QString kFrame1 = QStringLiteral(" Sélection du port de communication ");
const QString kFrame2 = QStringLiteral(" Sélection de la Version de QLV 40 ");
const QString kVersion3 = QStringLiteral("Version 3.2");
const QString kVersion5 = QStringLiteral("Version 5.X");
const QString kLabel1 = QStringLiteral("Toutes les versions sont compatibles avec l'adaptateur USB VORL");
const QString kOk = QStringLiteral("Ok");
const QString kAnnuler = QStringLiteral("Annuler");

constexpr int kPortColumns = 4;

// Unchecks every button of an exclusive group, which Qt refuses while the group is exclusive.
void clearGroup(QButtonGroup* group) {
    group->setExclusive(false);
    for (QAbstractButton* button : group->buttons())
        button->setChecked(false);
    group->setExclusive(true);
}
} // namespace

FrmPort::FrmPort(AppContext& context, QWidget* parent) : QWidget(parent), m_context(context) {
    setObjectName(QStringLiteral("frmPort"));
    setWindowTitle(kCaption);
    setAttribute(Qt::WA_DeleteOnClose);
    buildControls();
    load();
}

void FrmPort::buildControls() {
    m_frame1 = new QGroupBox(kFrame1, this);
    m_frame1->setObjectName(QStringLiteral("Frame1"));
    m_comGroup = new QButtonGroup(this);
    auto* portGrid = new QGridLayout(m_frame1);
    for (int port = 1; port <= PortTable::kPortCount; ++port) {
        auto* option = new QRadioButton(QStringLiteral("COM %1").arg(port), m_frame1);
        option->setObjectName(QStringLiteral("Option_COM(%1)").arg(port));
        option->setToolTip(portToolTip(m_context.ports, port));
        option->installEventFilter(this);
        m_comGroup->addButton(option, port);
        portGrid->addWidget(option, (port - 1) / kPortColumns, (port - 1) % kPortColumns);
        m_optionCom[static_cast<size_t>(port)] = option;
    }

    m_frame2 = new QGroupBox(kFrame2, this);
    m_frame2->setObjectName(QStringLiteral("Frame2"));
    m_versionGroup = new QButtonGroup(this);
    m_optionVersion3 = new QRadioButton(kVersion3, m_frame2);
    m_optionVersion3->setObjectName(QStringLiteral("Option_Version3"));
    m_optionVersion5 = new QRadioButton(kVersion5, m_frame2);
    m_optionVersion5->setObjectName(QStringLiteral("Option_Version5"));
    m_versionGroup->addButton(m_optionVersion3, 3);
    m_versionGroup->addButton(m_optionVersion5, 5);
    auto* versionRow = new QHBoxLayout(m_frame2);
    versionRow->addWidget(m_optionVersion3);
    versionRow->addWidget(m_optionVersion5);
    versionRow->addStretch();

    m_label1 = new QLabel(kLabel1, this);
    m_label1->setObjectName(QStringLiteral("Label1"));
    m_label1->setWordWrap(true);

    m_cmdOk = new QPushButton(kOk, this);
    m_cmdOk->setObjectName(QStringLiteral("Cmd_Ok"));
    m_cmdAnnuler = new QPushButton(kAnnuler, this);
    m_cmdAnnuler->setObjectName(QStringLiteral("Cmd_Annuler"));
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch();
    buttonRow->addWidget(m_cmdOk);
    buttonRow->addWidget(m_cmdAnnuler);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_frame1);
    layout->addWidget(m_frame2);
    layout->addWidget(m_label1);
    layout->addLayout(buttonRow);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    // A click on a port (mouse, keyboard or program) is what makes "Ok" available.
    connect(m_comGroup, &QButtonGroup::idClicked, this, [this] { m_cmdOk->setEnabled(true); });
    connect(m_cmdOk, &QPushButton::clicked, this, &FrmPort::cmdOkClick);
    connect(m_cmdAnnuler, &QPushButton::clicked, this, &FrmPort::unload);
    InstallDialogKeys(this, m_cmdOk, m_cmdAnnuler);
}

void FrmPort::load() {
    m_context.windows.closeOpenWindows();
    m_context.store.Open_frmPort = kTrue;

    clearGroup(m_comGroup);
    clearGroup(m_versionGroup);
    const PortChoices choices = loadPortChoices(m_context.store, m_context.prober);
    if (choices.selectedVersion != 0) m_versionGroup->button(choices.selectedVersion)->setChecked(true);
    for (int port = 1; port <= PortTable::kPortCount; ++port) {
        optionCom(port)->setEnabled(choices.isUsable(port));
        // A grey port tells why it cannot be used.
        optionCom(port)->setToolTip(portToolTip(m_context.ports, port, choices.failures[port]));
    }
    if (choices.selectedPort != 0) optionCom(choices.selectedPort)->setChecked(true);
    m_cmdOk->setEnabled(choices.okEnabled);
}

QRadioButton* FrmPort::optionCom(int port) const {
    if (port < 1 || port > PortTable::kPortCount) return nullptr;
    return m_optionCom[static_cast<size_t>(port)];
}

int FrmPort::selectedPort() const {
    return qMax(0, m_comGroup->checkedId());
}

int FrmPort::selectedVersion() const {
    return qMax(0, m_versionGroup->checkedId());
}

void FrmPort::cmdOkClick() {
    const PortOkOutcome outcome = acceptPortChoice(m_context.store, selectedPort(), selectedVersion());
    m_context.shell.setCaption(outcome.caption);
    if (!outcome.closeWindow) return;
    m_context.shell.setMenuEnabled(MenuEntry::mnuAbout, true);
    m_context.shell.setMenuEnabled(MenuEntry::mnuAnalyse, true);
    unload();
}

void FrmPort::unload() {
    // Inside the main window the frame around this window must go too, or an empty frame stays;
    // the frame closes its content first, so closeEvent below still runs.
    if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget()))
        frame->close();
    else
        close();
}

bool FrmPort::eventFilter(QObject* watched, QEvent* event) {
    // A double click on a port chooses it and answers "Ok" at once.
    if (event->type() == QEvent::MouseButtonDblClick) {
        auto* option = qobject_cast<QRadioButton*>(watched);
        if (option && option->isEnabled() && m_comGroup->id(option) > 0) {
            option->setChecked(true);
            m_cmdOk->setEnabled(true);
            cmdOkClick();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void FrmPort::closeEvent(QCloseEvent* event) {
    // The window may be asked to close more than once (its own button, then its frame): unload once.
    if (!m_unloaded) {
        m_unloaded = true;
        if (const auto title = portUnloadTitle(m_context.store)) m_context.shell.setCaption(*title);
        m_context.store.Open_frmPort = kFalse;
    }
    event->accept();
}

QWidget* createFrmPort(AppContext& context) {
    return new FrmPort(context);
}
