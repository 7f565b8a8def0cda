#include "ui/link/FrmWait.h"

#include "ui/shell/AppContext.h"
#include "ui/widgets/Pictures.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

namespace {

QLabel* okPicture(QWidget* parent) {
    auto* picture = new QLabel(parent);
    const QPixmap ok = loadPicture(QStringLiteral("Ok.bmp"));
    if (!ok.isNull()) picture->setPixmap(ok);
    picture->setFixedSize(24, 24);
    picture->setScaledContents(true);
    picture->hide();
    return picture;
}

QProgressBar* bar(QWidget* parent, int maximum) {
    auto* progress = new QProgressBar(parent);
    progress->setRange(0, maximum);
    progress->setValue(0);
    progress->setTextVisible(false);
    return progress;
}

} // namespace

FrmWait::FrmWait(AppContext& context, QWidget* parent)
    : QWidget(parent), m_context(context), m_progress(context.store.Device_Version) {
    setObjectName(QStringLiteral("frmWait"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(WaitProgress::caption());
    m_context.store.Open_frmWait = kTrue;

    Label_Transmission = new QLabel(this);
    ProgressBar_Transmission = bar(this, m_progress.transmissionMax());
    Picture_Transmit_Ok = okPicture(this);
    Label_Classement = new QLabel(this);
    ProgressBar_Classement = bar(this, m_progress.classementMax());
    Picture_Classement_Ok = okPicture(this);
    Label_Traitement = new QLabel(WaitProgress::traitementLabel(), this);
    ProgressBar_Traitement = bar(this, m_progress.traitementMax());
    Label_Pourcentage = new QLabel(this);
    Cmd_Annuler = new QPushButton(WaitProgress::cancelCaption(), this);

    const std::pair<QWidget*, const char*> names[] = {{Label_Transmission, "Label_Transmission"},
                                                      {ProgressBar_Transmission, "ProgressBar_Transmission"},
                                                      {Picture_Transmit_Ok, "Picture_Transmit_Ok"},
                                                      {Label_Classement, "Label_Classement"},
                                                      {ProgressBar_Classement, "ProgressBar_Classement"},
                                                      {Picture_Classement_Ok, "Picture_Classement_Ok"},
                                                      {Label_Traitement, "Label_Traitement"},
                                                      {ProgressBar_Traitement, "ProgressBar_Traitement"},
                                                      {Label_Pourcentage, "Label_Pourcentage"},
                                                      {Cmd_Annuler, "Cmd_Annuler"}};
    for (const auto& [widget, name] : names)
        widget->setObjectName(QLatin1String(name));

    auto* grid = new QGridLayout(this);
    grid->addWidget(Label_Transmission, 0, 0, 1, 2);
    grid->addWidget(ProgressBar_Transmission, 1, 0);
    grid->addWidget(Picture_Transmit_Ok, 1, 1);
    grid->addWidget(Label_Classement, 2, 0, 1, 2);
    grid->addWidget(ProgressBar_Classement, 3, 0);
    grid->addWidget(Picture_Classement_Ok, 3, 1);
    grid->addWidget(Label_Traitement, 4, 0, 1, 2);
    grid->addWidget(ProgressBar_Traitement, 5, 0);
    grid->addWidget(Label_Pourcentage, 6, 0, 1, 2);
    grid->addWidget(Cmd_Annuler, 7, 0, 1, 2, Qt::AlignHCenter);
    grid->setColumnMinimumWidth(1, 24);
    setMinimumWidth(420);

    connect(Cmd_Annuler, &QPushButton::clicked, this, &QWidget::close);
    refresh();
}

// The store and the clock may already be gone when the main window deletes its children: the
// unload logic runs on close only, as the window housekeeping closes windows.
FrmWait::~FrmWait() = default;

void FrmWait::progressTick() {
    m_progress.tick();
    refresh();
}

void FrmWait::transmissionNearlyDone() {
    m_progress.setTransmissionNearlyDone();
    refresh();
}

void FrmWait::closeEvent(QCloseEvent* event) {
    unload();
    event->accept();
}

void FrmWait::unload() {
    if (m_unloaded) return;
    m_unloaded = true;
    DataStore& store = m_context.store;
    store.Abort_Flag = kTrue;
    store.Transfer_Step = 0;
    store.Open_frmWait = kFalse;
    if (m_closePort) m_closePort();
    // The transfer may be asleep waiting for data: let it see the cancel now.
    m_context.clock.wake();
}

void FrmWait::refresh() {
    Label_Transmission->setText(m_progress.transmissionLabel());
    Label_Classement->setText(m_progress.classementLabel());
    ProgressBar_Transmission->setValue(m_progress.transmission());
    ProgressBar_Classement->setValue(m_progress.classement());
    ProgressBar_Traitement->setValue(m_progress.traitement());
    Label_Pourcentage->setText(m_progress.percentageLabel());
    Picture_Transmit_Ok->setVisible(m_progress.transmissionOk());
    Picture_Classement_Ok->setVisible(m_progress.classementOk());
}
