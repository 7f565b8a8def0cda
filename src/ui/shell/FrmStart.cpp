#include "ui/shell/FrmStart.h"

#include "core/platform/Clock.h"
#include "core/platform/MainShell.h"
#include "core/shell/ShellTexts.h"
#include "ui/widgets/Fonts.h"
#include "ui/widgets/Pictures.h"
#include "ui/widgets/Twips.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace {
const QColor kBackground(197, 207, 237);
constexpr int kWidthTwips = 8400;
constexpr int kHeightTwips = 4200;

QLabel* whiteLabel(QWidget* parent, const char* name, const QString& text, const QFont& font) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setFont(font);
    label->setAlignment(Qt::AlignCenter);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Qt::white);
    label->setPalette(palette);
    return label;
}

QLabel* pictureBox(QWidget* parent, const char* name) {
    auto* box = new QLabel(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setAlignment(Qt::AlignCenter);
    return box;
}
} // namespace

FrmStart::FrmStart(QWidget* centreOn)
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("frmStart"));
    setWindowTitle(SplashTitle());
    setAttribute(Qt::WA_DeleteOnClose);
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, kBackground);
    setPalette(palette);

    auto* acceuil = new QFrame(this);
    acceuil->setObjectName(QStringLiteral("Acceuil"));
    acceuil->setFrameShape(QFrame::Box);
    acceuil->setFrameShadow(QFrame::Plain);
    QPalette framePalette = acceuil->palette();
    framePalette.setColor(QPalette::WindowText, Qt::white);
    acceuil->setPalette(framePalette);

    m_logo = pictureBox(acceuil, "Image_Logo_Torb");
    m_device = pictureBox(acceuil, "Image_QLV_Back");
    QLabel* label1 = whiteLabel(acceuil, "Label1", SplashTitle(), comicFont(24, true));
    QLabel* product = whiteLabel(acceuil, "Label_Nom_Produit", SplashProductName(), comicFont(14, true));

    auto* names = new QVBoxLayout;
    names->addWidget(m_logo);
    names->addStretch(1);
    names->addWidget(label1);
    names->addWidget(product);
    names->addStretch(1);

    auto* inside = new QHBoxLayout(acceuil);
    inside->setContentsMargins(twips(240), twips(240), twips(240), twips(240));
    inside->setSpacing(twips(240));
    inside->addLayout(names, 1);
    inside->addWidget(m_device);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(twips(120), twips(120), twips(120), twips(120));
    outer->addWidget(acceuil);

    resize(twips(kWidthTwips), twips(kHeightTwips));
    const QRect area = centreOn ? centreOn->frameGeometry() : QRect();
    if (area.isValid()) move(area.center() - rect().center());
}

void FrmStart::runLoadSequence(MainShell& shell, Clock& clock) {
    shell.setMainEnabled(false);
    // A missing picture leaves its box empty; the splash shows all the same.
    m_logo->setPixmap(loadPicture(QStringLiteral("Logo Vorl.bmp")));
    m_device->setPixmap(loadPicture(QStringLiteral("QLV 30-2 Back.bmp")));
    show();
    raise();
    clock.sleep(kSplashMs);
    shell.setMainEnabled(true);
}
