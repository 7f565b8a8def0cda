#include "ui/shell/FrmAbout.h"

#include "core/shell/ShellTexts.h"
#include "ui/shell/AppContext.h"
#include "ui/widgets/Fonts.h"
#include "ui/widgets/Pictures.h"
#include "ui/widgets/Twips.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

namespace {
const QColor kBackground(197, 207, 237);

QLabel* addLabel(QWidget* parent, const char* name, const QString& text) {
    auto* label = new QLabel(NormaliseLineBreaks(text), parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::NoTextInteraction);
    return label;
}
} // namespace

FrmAbout::FrmAbout(AppContext& context) : QWidget(nullptr, Qt::Dialog), m_context(context) {
    // Like every window, the about box starts by closing the others.
    m_context.windows.closeOpenWindows();
    m_context.shell.setMainEnabled(false);

    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("A Propos de ..."));
    setAttribute(Qt::WA_DeleteOnClose);
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, kBackground);
    setPalette(palette);

    const AboutTexts texts = BuildAboutTexts();

    auto* picIcon = new QLabel(this);
    picIcon->setObjectName(QStringLiteral("picIcon"));
    picIcon->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    const QPixmap logo = loadPicture(QStringLiteral("Logo Vorl.bmp"));
    if (!logo.isNull()) picIcon->setPixmap(logo);

    QLabel* lblTitle = addLabel(this, "lblTitle", texts.lblTitle);
    lblTitle->setFont(arialFont(11, true));
    QLabel* lblVersion = addLabel(this, "lblVersion", texts.lblVersion);
    lblVersion->setFont(arialFont(9, true));
    QLabel* labelVersion = addLabel(this, "Label_Version", texts.Label_Version);

    QLabel* lblDescription = addLabel(this, "lblDescription", texts.lblDescription);
    QLabel* labelSystem = addLabel(this, "Label_System_Exploitation", texts.Label_System_Exploitation);
    QLabel* labelResolution = addLabel(this, "Label_Resolution", texts.Label_Resolution);
    QLabel* labelFirmware = addLabel(this, "Label_FirmWare", texts.Label_FirmWare);

    auto* cmdOK = new QPushButton(texts.cmdOK, this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    cmdOK->setMinimumWidth(twips(1260));
    connect(cmdOK, &QPushButton::clicked, this, &QWidget::close);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(twips(240), twips(240), twips(240), twips(240));
    grid->setHorizontalSpacing(twips(240));
    grid->setVerticalSpacing(twips(120));
    grid->addWidget(picIcon, 0, 0, 3, 1);
    grid->addWidget(lblTitle, 0, 1);
    grid->addWidget(lblVersion, 1, 1);
    grid->addWidget(labelVersion, 2, 1);
    grid->addWidget(lblDescription, 3, 0, 1, 2);
    grid->addWidget(labelSystem, 4, 0, 1, 2);
    grid->addWidget(labelResolution, 5, 0, 1, 2);
    grid->addWidget(labelFirmware, 6, 0, 1, 2);
    grid->addWidget(cmdOK, 7, 1, Qt::AlignRight);
    grid->setColumnStretch(1, 1);

    setFixedWidth(twips(7800));
    setFixedHeight(sizeHint().height());
    cmdOK->setFocus();
}

FrmAbout::~FrmAbout() {
    releaseMain();
}

void FrmAbout::releaseMain() {
    if (m_released) return;
    m_released = true;
    m_context.shell.setMainEnabled(true);
}

void FrmAbout::closeEvent(QCloseEvent* event) {
    releaseMain();
    event->accept();
    Q_EMIT closed();
}

void FrmAbout::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}
