#include "ui/files/FrmWaitSave.h"

#include "ui/shell/AppContext.h"
#include "ui/widgets/Pictures.h"

#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

FrmWaitSave::FrmWaitSave(AppContext& ctx, QWidget* parent) : QWidget(parent), m_ctx(ctx) {
    setObjectName(QStringLiteral("frmWait_Save"));
    m_ctx.store.Open_frmWait_Save = kTrue;
    m_loaded = true;

    auto* layout = new QVBoxLayout(this);
    auto label = [&](const char* name) {
        auto* l = new QLabel(this);
        l->setObjectName(QString::fromLatin1(name));
        l->setAlignment(Qt::AlignCenter);
        layout->addWidget(l);
        return l;
    };
    m_labelSaveEnCours = label("Label_Save_en_Cours");
    m_progressBar = new QProgressBar(this);
    m_progressBar->setObjectName(QStringLiteral("ProgressBar_Save"));
    m_progressBar->setTextVisible(false);
    layout->addWidget(m_progressBar);
    m_labelProgression = label("Label_Progression");
    m_labelPatientez = label("Label_Patientez");
    m_pictureGood = label("Picture_Good");
    m_pictureGood->setPixmap(loadPicture(QStringLiteral("Ok.bmp")));

    const SaveProgress start(m_ctx.store.Device_Version);
    setWindowTitle(start.view().Label_Save_en_Cours);

    // Sized at load for the completed save, whose texts are longer than those it opens with and whose
    // check mark only then appears, so that neither they, the mark nor the caption are cut at the end.
    int width = m_pictureGood->sizeHint().width();
    for (const QString& text : {QStringLiteral("Sauvegarde terminée avec succès !!!"),
                                QStringLiteral("Sauvegarde effectuée à 100%."), windowTitle()})
        width = qMax(width, fontMetrics().horizontalAdvance(text));
    const QMargins margins = layout->contentsMargins();
    resize(width + margins.left() + margins.right() + 120, sizeHint().height());
    showProgress(start.view());
}

FrmWaitSave::~FrmWaitSave() {
    unload();
}

void FrmWaitSave::showProgress(const SaveProgressView& view) {
    m_progressBar->setRange(0, view.maximum);
    m_progressBar->setValue(view.value);
    m_labelSaveEnCours->setText(view.Label_Save_en_Cours);
    m_labelPatientez->setText(view.Label_Patientez);
    m_labelProgression->setText(view.Label_Progression);
    m_pictureGood->setVisible(view.Picture_Good);
}

void FrmWaitSave::closeEvent(QCloseEvent* event) {
    unload();
    event->accept();
}

void FrmWaitSave::unload() {
    if (!m_loaded) return;
    m_loaded = false;
    m_ctx.store.Open_frmWait_Save = kFalse;
}

QWidget* createFrmWaitSave(AppContext& ctx) {
    return new FrmWaitSave(ctx);
}
