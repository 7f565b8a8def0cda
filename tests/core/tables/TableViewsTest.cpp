#include "core/tables/TableViews.h"
#include "TableTestData.h"

#include <gtest/gtest.h>

using namespace tabletest;

namespace {
void setVersionCells(DataStore& store, int major, int minor) {
    store.Param_Block[160] = static_cast<int16_t>(major);
    store.Param_Block[161] = static_cast<int16_t>(minor);
}
void setSerial(DataStore& store) {
    const int16_t cells[8] = {12, 34, 5, 6, 0, 1, 2, 3};
    for (int i = 0; i < 8; ++i)
        store.Param_Block[2360 + i] = cells[i];
}
} // namespace

TEST(TableViews, HeadingsForOneDayAndLongerPeriods) {
    struct Case {
        const char* from;
        const char* to;
        const char* leq;
        const char* events;
    } cases[] = {
        {"05/03/2007", "05/03/2007", "Tableau des valeurs Leq du  Lundi   05   Mars    2007 :",
         "Tableau des événements du 05   Mars    2007 :"},
        {"31/12/2009", "01/01/2010",
         "Tableau des valeurs Leq du  Jeudi   31 Décembre  2009 au Vendredi 01  Janvier  2010 :",
         "Tableau des événements du 31 Décembre  2009 au 01  Janvier  2010 :"},
    };
    for (const Case& c : cases) {
        DataStore store;
        store.Device_Version = 3;
        setPeriod(store, QString::fromLatin1(c.from), QString::fromLatin1(c.to));
        EXPECT_EQ(PrepareLeqTable(store).heading, QString::fromUtf8(c.leq));
        EXPECT_EQ(PrepareEventTable(store).heading, QString::fromUtf8(c.events));
        store.Device_Version = 5;
        const LeqTableV5View v5 = PrepareLeqTableV5(store);
        const QString tail = QString::fromUtf8(c.leq).mid(QStringLiteral("Tableau des valeurs Leq").size());
        EXPECT_EQ(v5.heading10, QStringLiteral("Tableau des valeurs Leq 10 minutes") + tail);
        EXPECT_EQ(v5.heading1, QStringLiteral("Tableau des valeurs Leq 1 minute") + tail);
    }
}

TEST(TableViews, SerialLabelsByGeneration) {
    DataStore store;
    setSerial(store);
    setVersionCells(store, 172, 204);
    store.Device_Version = 3;
    EXPECT_EQ(PrepareLeqTable(store).serialLabel,
              QStringLiteral("QLV 40 - FirmWare Version : 3.2 - Numéro de Série : 1234560123"));
    store.Device_Version = 5;
    EXPECT_EQ(PrepareEventTable(store).serialLabel,
              QStringLiteral("QLV 40 - FirmWare Version : 5.3 - Numéro de Série : 1234560123"));
    setVersionCells(store, 172, 0);
    EXPECT_EQ(PrepareLeqTableV5(store).serialLabel,
              QStringLiteral("QLV 40 - FirmWare Version : 5.X - Numéro de Série : 1234560123"));
}

TEST(TableViews, EmptyPeriodsShowTheirMessages) {
    DataStore store;
    putRows(store.Leq_Records, {{0, 10, 1, 1, 1, 9, 80, 0}});
    putRows(store.Event_Records, {{0, 10, 1, 0, 1, 9, 1, 0}});
    setPeriod(store, QStringLiteral("02/01/2009"), QStringLiteral("03/01/2009"));

    const LeqTableView leq = PrepareLeqTable(store);
    EXPECT_EQ(leq.list, messageList(5, QStringLiteral("Aucune valeur Leq relevée pour cette période !!!")));
    EXPECT_EQ(leq.list.lines.size(), 6);
    EXPECT_FALSE(leq.printable);
    EXPECT_EQ(leq.newTableauLeft, 5850);

    const EventTableView events = PrepareEventTable(store);
    EXPECT_EQ(events.list.lines.value(5),
              QStringLiteral("      Aucun événement enregistré pour cette période !!!"));
    EXPECT_TRUE(events.list.message);
    EXPECT_FALSE(events.printable);
    EXPECT_EQ(events.newTableauLeft, 6630);

    setPeriod(store, QStringLiteral("01/01/2009"), QStringLiteral("01/01/2009"));
    const EventTableView withRows = PrepareEventTable(store);
    EXPECT_TRUE(withRows.printable);
    EXPECT_FALSE(withRows.list.message);
    EXPECT_EQ(withRows.newTableauLeft, 5760);
    EXPECT_EQ(PrepareLeqTable(store).newTableauLeft, 4980);
}

TEST(TableViews, Generation5ListsByKindsPresent) {
    const QString no10 = QStringLiteral("Aucune valeur Leq10 relevée pour cette période !!!");
    const QString no1 = QStringLiteral("Aucune valeur Leq1 relevée pour cette période !!!");
    struct Case {
        const char* name;
        std::vector<int> types;
        bool message10, message1, printable;
        int lines10, lines1;
    } cases[] = {
        {"no row", {}, true, true, false, 6, 6},
        {"Leq1 only", {1, 1}, true, false, true, 6, 2},
        {"Leq10 only", {10}, false, true, true, 1, 6},
        {"both", {1, 10, 1}, false, false, true, 1, 2},
        {"neither kind", {2, 7}, false, false, true, 0, 0},
    };
    for (const Case& c : cases) {
        DataStore store;
        store.Leq_Records.fill(255);
        int r = 1;
        for (int type : c.types) {
            const int16_t row[8] = {static_cast<int16_t>(r), 10, 1, static_cast<int16_t>(type), 1, 9, 80, 0};
            for (int col = 1; col <= 8; ++col)
                store.Leq_Records(r, col) = row[col - 1];
            ++r;
        }
        setPeriod(store, QStringLiteral("01/01/2009"), QStringLiteral("01/01/2009"));
        const LeqTableV5View view = PrepareLeqTableV5(store);
        EXPECT_EQ(view.list10.message, c.message10) << c.name;
        EXPECT_EQ(view.list1.message, c.message1) << c.name;
        EXPECT_EQ(view.list10.lines.contains(no10), c.message10) << c.name;
        EXPECT_EQ(view.list1.lines.contains(no1), c.message1) << c.name;
        EXPECT_EQ(view.list10.lines.size(), c.lines10) << c.name;
        EXPECT_EQ(view.list1.lines.size(), c.lines1) << c.name;
        EXPECT_EQ(view.printable, c.printable) << c.name;
        EXPECT_EQ(view.newTableauLeft, c.printable ? 4980 : 5850) << c.name;
    }
}
