#include "ui/tables/FrmTableauLeq.h"

#include "ui/shell/AppContext.h"
#include "ui/tables/TablePrinting.h"
#include "ui/widgets/Twips.h"

#include <QLabel>
#include <QListWidget>

frmTableau_Leq::frmTableau_Leq(AppContext& context, QWidget* parent)
    : TableWindow(context, WindowId::frmTableau_Leq, parent) {
    setObjectName(QStringLiteral("frmTableau_Leq"));
    beginLoad();
    setWindowTitle(QStringLiteral("Tableau des valeurs Leq."));
    resize(twips(12600), twips(8640));

    m_serial = makeLabel(this, QStringLiteral("Label_Serial_Number"), QString(), 120, 120, 12360, 285);
    m_heading = makeLabel(this, QStringLiteral("Label_Entete"), QString(), 120, 450, 12360, 285);
    makeLabel(
        this, QStringLiteral("Label1"),
        QStringLiteral("Attention : Le niveau Leq10  est sauvegardé lorsqu'il est supérieur ou égal à 70dB."),
        120, 780, 12360, 285);
    for (QLabel* label : findChildren<QLabel*>())
        label->setAlignment(Qt::AlignCenter);
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("List_Leq"));
    m_list->setGeometry(twipsRect(120, 1110, 12360, 6480));
    createButtons(NewTableauPosition::kLeqWithRows, 7710);

    m_view = PrepareLeqTable(m_ctx.store);
    m_serial->setText(m_view.serialLabel);
    m_heading->setText(m_view.heading);
    fillList(m_list, m_view.list);
    placeButtons(m_view.printable, m_view.newTableauLeft);
}

void frmTableau_Leq::printTable() {
    printTablePages(this, m_ctx.ui, LeqTablePages(m_view));
}

QWidget* createFrmTableauLeq(AppContext& context) {
    return new frmTableau_Leq(context);
}
