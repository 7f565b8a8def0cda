#include "ui/stats/FrmStatistiques.h"

#include "core/tables/TableViews.h"
#include "ui/shell/AppContext.h"
#include "ui/tables/TablePrinting.h"
#include "ui/widgets/Twips.h"

#include <QLabel>
#include <QListWidget>

frmStatistiques::frmStatistiques(AppContext& context, QWidget* parent)
    : TableWindow(context, WindowId::frmStatistiques, parent) {
    setObjectName(QStringLiteral("frmStatistiques"));
    beginLoad();
    setWindowTitle(kStatsCaption);
    resize(twips(14040), twips(9030));

    QLabel* serial = makeLabel(this, QStringLiteral("Label_Serial_Number"), QString(), 120, 120, 13800, 285);
    QLabel* heading = makeLabel(this, QStringLiteral("Label_Entete"), QString(), 120, 450, 13800, 285);
    serial->setAlignment(Qt::AlignCenter);
    heading->setAlignment(Qt::AlignCenter);
    auto* list = new QListWidget(this);
    list->setObjectName(QStringLiteral("List_Statistiques"));
    list->setGeometry(twipsRect(120, 780, 13800, 7200));
    createButtons(NewTableauPosition::kEventsWithRows, 8100, QStringLiteral("Nouvelles statistiques"),
                  QStringLiteral("Imprimer ces statistiques"), QStringLiteral("Quitter les statistiques"));

    m_view = PrepareStatsView(m_ctx.store);
    serial->setText(m_view.serialLabel);
    heading->setText(m_view.heading);
    fillList(list, TableList{m_view.lines, false});
    placeButtons(true, NewTableauPosition::kEventsWithRows);
}

void frmStatistiques::printTable() {
    printTablePages(this, StatsPages(m_view));
}

QWidget* createFrmStatistiques(AppContext& context) {
    return new frmStatistiques(context);
}
