#include "ui/shell/PlaceholderWindow.h"

#include "ui/shell/AppContext.h"
#include "ui/widgets/Twips.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

PlaceholderWindow::PlaceholderWindow(WindowId id, AppContext& context) : m_id(id), m_context(context) {
    // The progress windows open beside the window that runs them; every other window closes the rest.
    if (id != WindowId::frmWait && id != WindowId::frmWait_Save) m_context.windows.closeOpenWindows();
    openFlag(m_context.store, id) = kTrue;

    const QString name = QString::fromLatin1(windowName(id));
    setObjectName(name);
    setWindowTitle(name);

    auto* note = new QLabel(QStringLiteral("Fenêtre « %1 » : bientôt disponible.").arg(name), this);
    note->setAlignment(Qt::AlignCenter);
    auto* close = new QPushButton(QStringLiteral("Fermer"), this);
    connect(close, &QPushButton::clicked, this, &QWidget::close);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(note);
    layout->addWidget(close, 0, Qt::AlignHCenter);
    resize(twips(5400), twips(1800));
}

void PlaceholderWindow::closeEvent(QCloseEvent* event) {
    openFlag(m_context.store, m_id) = kFalse;
    event->accept();
}
