#pragma once

#include "core/store/DataStore.h"
#include "core/tables/TableList.h"

#include <QString>

// What each table window shows once loaded: computed here so that the windows, the command line and
// the printouts show the same texts. Preparing a view does the window's load work on the store
// (serial number, period rows, Leq1/Leq10 copies).

// Left position of Cmd_New_Tableau, in twips: the button moves to the middle when Cmd_Print hides.
struct NewTableauPosition {
    static constexpr int kLeqWithRows = 4980;
    static constexpr int kLeqWithoutRows = 5850;
    static constexpr int kEventsWithRows = 5760;
    static constexpr int kEventsWithoutRows = 6630;
};

inline const QString kNoLeqValue = QStringLiteral("Aucune valeur Leq relevée pour cette période !!!");
inline const QString kNoLeq10Value = QStringLiteral("Aucune valeur Leq10 relevée pour cette période !!!");
inline const QString kNoLeq1Value = QStringLiteral("Aucune valeur Leq1 relevée pour cette période !!!");
inline const QString kNoEvent = QStringLiteral("      Aucun événement enregistré pour cette période !!!");

// frmTableau_Leq (generation 3).
struct LeqTableView {
    QString serialLabel;
    QString heading;
    TableList list;
    bool printable = false;
    int newTableauLeft = NewTableauPosition::kLeqWithRows;
};

// frmTableau_Leq_V5.
struct LeqTableV5View {
    QString serialLabel;
    QString heading10;
    QString heading1;
    TableList list10;
    TableList list1;
    bool hasLeq10 = false; // Leq10 rows were copied for the period
    bool hasLeq1 = false;
    bool printable = false;
    int newTableauLeft = NewTableauPosition::kLeqWithRows;
};

// frmTableau_Evenements.
struct EventTableView {
    QString serialLabel;
    QString heading;
    TableList list;
    bool oneDay = false;
    bool printable = false;
    int newTableauLeft = NewTableauPosition::kEventsWithRows;
};

// The serial-number label of the table windows, for the store's generation.
QString TableSerialLabel(const DataStore& store);

LeqTableView PrepareLeqTable(DataStore& store);
LeqTableV5View PrepareLeqTableV5(DataStore& store);
EventTableView PrepareEventTable(DataStore& store);
