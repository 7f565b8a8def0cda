#include "ui/tables/FrmTableauEvenements.h"

#include "ui/shell/AppContext.h"
#include "ui/tables/TablePrinting.h"
#include "ui/widgets/Twips.h"

#include <QLabel>
#include <QListWidget>

frmTableau_Evenements::frmTableau_Evenements(AppContext& context, QWidget* parent)
    : TableWindow(context, WindowId::frmTableau_Evenements, parent) {
    setObjectName(QStringLiteral("frmTableau_Evenements"));
    beginLoad();
    setWindowTitle(QStringLiteral("Tableau des événements"));
    resize(twips(14040), twips(9030));

    QLabel* serial = makeLabel(this, QStringLiteral("Label_Serial_Number"), QString(), 120, 120, 13800, 285);
    QLabel* heading = makeLabel(this, QStringLiteral("Label_Entete"), QString(), 120, 450, 13800, 285);
    serial->setAlignment(Qt::AlignCenter);
    heading->setAlignment(Qt::AlignCenter);
    auto* list = new QListWidget(this);
    list->setObjectName(QStringLiteral("List_Evenements"));
    list->setGeometry(twipsRect(120, 780, 13800, 7200));
    createButtons(NewTableauPosition::kEventsWithRows, 8100, QStringLiteral("Nouveau tableau d'événements"),
                  QStringLiteral("Imprimer ce tableau d'événements"),
                  QStringLiteral("Quitter le tableau d'événements"));

    m_view = PrepareEventTable(m_ctx.store);
    serial->setText(m_view.serialLabel);
    heading->setText(m_view.heading);
    fillList(list, m_view.list);
    placeButtons(m_view.printable, m_view.newTableauLeft);
}

void frmTableau_Evenements::printTable() {
    printTablePages(this, EventTablePages(m_view));
}

QWidget* createFrmTableauEvenements(AppContext& context) {
    return new frmTableau_Evenements(context);
}
