#pragma once

#include "core/graphs/Canvas.h"
#include "core/graphs/GraphLabels.h"
#include "core/platform/UiServices.h"
#include "core/store/DataStore.h"
#include "core/tables/TableList.h"

#include <QString>

// Everything the graph window shows besides its two pictures, worked out by its load.
struct GraphWindowView {
    bool generation3 = false;
    bool hasRecords = false; // the window holds at least one record of Leq_Records

    QString header;    // Label_Entete
    QString dateLabel; // Label_Date

    TableList list10; // List_Leq10
    TableList list1;  // List_Leq1
    TableList events; // List_Depassement
    bool list10Enabled = true;
    bool list1Enabled = true;

    bool zoom10Shown = false; // Cmd_Zoom_Leq10
    bool zoom1Shown = false;  // Cmd_Zoom_Leq1

    bool minMax10Shown = false;
    bool minMax1Shown = false;
    QString mini10, maxi10, mini1, maxi1;

    ThresholdLabels thresholds;
    QString analyse; // Label_Analyse
};

// The graph window's load, without its drawing: resets the window state in the store (selections,
// mouse zoom, template), builds the serial number, finds the window's rows, splits the Leq1 and
// Leq10 copies (generation 5), fills the lists, and, when the window holds records, builds the
// threshold template (its messages go through ui). An empty window shows "Pas de veleur Leq !!!".
GraphWindowView LoadGraphWindow(DataStore& store, UiServices& ui);

// What each graph box draws after the load, at normal size, in the load's order. Generation-3 data
// has no Leq1 graph: its box gets the "not available" notice instead. Nothing but that notice is
// drawn when the window holds no record.
void DrawLeq10GraphNormal(Canvas& box, const DataStore& store, bool hasRecords);
void DrawLeq1GraphNormal(Canvas& box, const DataStore& store, bool hasRecords);

// The same graphs redrawn at the enlarged size: enlarged axes, then the content and the arrow of
// the selected record, if any.
void DrawLeq10GraphEnlarged(Canvas& box, const DataStore& store);
void DrawLeq1GraphEnlarged(Canvas& box, const DataStore& store);

// The notice on the Leq1 box of generation-3 data, printed in the box's design units (twips).
void DrawLeq1NotAvailable(Canvas& box);

namespace GraphWindowTexts {
inline const QString kCaption = QStringLiteral("Graphique des Relevés de Niveaux de Pression Acoustique");
inline const QString kLeq10Caption = QStringLiteral("Graphique des niveaux Leq sur 10 minutes.");
inline const QString kLeq1Caption = QStringLiteral("Graphique des niveaux Leq sur 1 minute.");
inline const QString kList10Caption = QStringLiteral("Tableau des valeurs des niveaux Leq sur 10 minutes :");
inline const QString kList1Caption = QStringLiteral("Tableau des valeurs des niveaux Leq sur 1 minute :");
inline const QString kEventsCaption = QStringLiteral("Tableau des événements de la période :");
inline const QString kNotAvailable = QStringLiteral("Analyse non disponible dans cette version FirmWare !!!");
inline const QString kNoLeq10 = QStringLiteral("    Aucune valeur Leq10 relevée pour cette période !!!");
inline const QString kNoLeq1InWindow =
    QStringLiteral("    Pas de valeurs Leq1 relevée pour cette période !!!");
inline const QString kNoLeq1 = QStringLiteral("    Aucune valeur Leq1 relevée pour cette période !!!");
inline const QString kEmptyTitle = QStringLiteral("Pas de veleur Leq !!!");
inline const QString kEmptyText = QStringLiteral("Aucune valeur Leq enregistrée pour cette période !!!");
inline const QString kNewGraph = QStringLiteral("Nouveau Graphique");
inline const QString kZoom10Tip = QStringLiteral("Agrandir le graphique Leq 10.");
inline const QString kZoom1Tip = QStringLiteral("Agrandir le graphique Leq 1.");
inline const QString kPrint10Tip = QStringLiteral("Imprimer le graphique Leq 10.");
inline const QString kPrint1Tip = QStringLiteral("Imprimer le graphique Leq 1.");
} // namespace GraphWindowTexts
