#include "ui/tables/FrmTableauEvenements.h"

#include "ui/shell/AppContext.h"
#include "ui/tables/TablePrinting.h"

#include <QLabel>

frmTableau_Evenements::frmTableau_Evenements(AppContext& context, QWidget* parent)
    : TableWindow(context, WindowId::frmTableau_Evenements, parent) {
    setObjectName(QStringLiteral("frmTableau_Evenements"));
    beginLoad();
    setWindowTitle(QStringLiteral("Tableau des événements"));
    const OneListControls c =
        buildOneListLayout(QStringLiteral("List_Evenements"), QStringLiteral("Nouveau tableau d'événements"),
                           QStringLiteral("Imprimer ce tableau d'événements"),
                           QStringLiteral("Quitter le tableau d'événements"));

    m_view = PrepareEventTable(m_ctx.store);
    c.serial->setText(m_view.serialLabel);
    c.heading->setText(m_view.heading);
    fillList(c.list, m_view.list);
    placeButtons(m_view.printable, m_view.newTableauLeft);
}

void frmTableau_Evenements::printTable() {
    printTablePages(this, m_ctx.ui, EventTablePages(m_view));
}

QWidget* createFrmTableauEvenements(AppContext& context) {
    return new frmTableau_Evenements(context);
}
