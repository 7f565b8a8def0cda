#include "ui/stats/FrmStatistiques.h"

#include "core/tables/TableViews.h"
#include "ui/shell/AppContext.h"
#include "ui/tables/TablePrinting.h"

#include <QLabel>

frmStatistiques::frmStatistiques(AppContext& context, QWidget* parent)
    : TableWindow(context, WindowId::frmStatistiques, parent) {
    setObjectName(QStringLiteral("frmStatistiques"));
    beginLoad();
    setWindowTitle(kStatsCaption);
    const OneListControls c = buildOneListLayout(
        QStringLiteral("List_Statistiques"), QStringLiteral("Nouvelles statistiques"),
        QStringLiteral("Imprimer ces statistiques"), QStringLiteral("Quitter les statistiques"));

    m_view = PrepareStatsView(m_ctx.store);
    c.serial->setText(m_view.serialLabel);
    c.heading->setText(m_view.heading);
    fillList(c.list, TableList{m_view.lines, false});
    placeButtons(true, NewTableauPosition::kEventsWithRows);
}

void frmStatistiques::printTable() {
    printTablePages(this, m_ctx.ui, StatsPages(m_view));
}

QWidget* createFrmStatistiques(AppContext& context) {
    return new frmStatistiques(context);
}
