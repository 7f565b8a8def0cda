#include "ui/tables/FrmTableauLeqV5.h"

#include "ui/shell/AppContext.h"
#include "ui/tables/TablePrinting.h"
#include "ui/widgets/Twips.h"

#include <QLabel>
#include <QListWidget>

frmTableau_Leq_V5::frmTableau_Leq_V5(AppContext& context, QWidget* parent)
    : TableWindow(context, WindowId::frmTableau_Leq_V5, parent) {
    setObjectName(QStringLiteral("frmTableau_Leq_V5"));
    beginLoad();
    setWindowTitle(QStringLiteral("Tableau des valeurs Leq."));
    resize(twips(12600), twips(10620));

    QLabel* serial = makeLabel(this, QStringLiteral("Label_Serial_Number"), QString(), 120, 120, 12360, 285);
    QLabel* heading10 = makeLabel(this, QStringLiteral("Label_Entete10"), QString(), 120, 420, 12360, 285);
    makeLabel(
        this, QStringLiteral("Label1"),
        QStringLiteral("Attention : Le niveau Leq10  est sauvegardé lorsqu'il est supérieur ou égal à 70dB."),
        120, 720, 12360, 285);
    QLabel* heading1 = makeLabel(this, QStringLiteral("Label_Entete1"), QString(), 120, 5040, 12360, 285);
    makeLabel(
        this, QStringLiteral("Label1"),
        QStringLiteral("Attention : Le niveau Leq1  est sauvegardé lorsqu'il est supérieur ou égal au niveau "
                       "de consigne."),
        120, 5340, 12360, 285);
    for (QLabel* label : findChildren<QLabel*>())
        label->setAlignment(Qt::AlignCenter);
    auto* list10 = new QListWidget(this);
    list10->setObjectName(QStringLiteral("List_Leq10"));
    list10->setGeometry(twipsRect(120, 1020, 12360, 3900));
    auto* list1 = new QListWidget(this);
    list1->setObjectName(QStringLiteral("List_Leq1"));
    list1->setGeometry(twipsRect(120, 5640, 12360, 3900));
    createButtons(NewTableauPosition::kLeqWithRows, 9660);

    m_view = PrepareLeqTableV5(m_ctx.store);
    serial->setText(m_view.serialLabel);
    heading10->setText(m_view.heading10);
    heading1->setText(m_view.heading1);
    fillList(list10, m_view.list10);
    fillList(list1, m_view.list1);
    placeButtons(m_view.printable, m_view.newTableauLeft);
}

void frmTableau_Leq_V5::printTable() {
    printTablePages(this, m_ctx.ui, LeqTableV5Pages(m_view));
}

QWidget* createFrmTableauLeqV5(AppContext& context) {
    return new frmTableau_Leq_V5(context);
}
