#include "core/tables/EventTable.h"
#include "TableTestData.h"
#include "core/tables/EventTexts.h"

#include <gtest/gtest.h>

using namespace tabletest;

namespace {
QString textOf(const QString& line) {
    const int colon = line.indexOf(QStringLiteral("   :   "));
    return colon < 0 ? QString() : line.mid(colon + 7, line.size() - colon - 8);
}

QStringList textsOf(const QStringList& lines) {
    QStringList texts;
    for (const QString& line : lines)
        texts.append(textOf(line));
    return texts;
}
} // namespace

TEST(EventText, GenerationsAndListsDiffer) {
    struct Case {
        int c7, c8;
        const char* gen3;
        const char* gen5Table;
        const char* gen5Graph;
    } cases[] = {
        {1, 0, "Ouverture Capot", "Ouverture Capot", "Ouverture Capot"},
        {4, 0, "Coupure Alimentation", "Coupure Alimentation", "Coupure Alimentation"},
        {8, 0, "Coupure 10 Secondes", "Changement d'heure Automatique", "Changement d'Heure Automatique"},
        {64, 0, "Impression", "Modification Configuration", "Modification Configuration"},
        {128, 0, "Modification Paramètres", "Modification Paramètres", "Modification Paramètres"},
        {0, 2, "Défaut Niveau Capteur", "Défaut Niveau Capteur", "Défaut Niveau Capteur"},
        {0, 8, "Changement d'Heure Automatique", "Calibrage Effectué", "Calibrage TRX40"},
        {0, 16, "XXX", "Fin Coupure Générale", "Fin de Coupure Générale"},
        {0, 32, "XXX", "Fenêtre Ouverte", "Ouverture Fenêtre"},
        {0, 64, "XXX", "Fenêtre Fermée", "Fermeture Fenêtre"},
        {0, 128, "XXX", "Coupure 10 Secondes", "Coupure 10 Secondes"},
        {0, 168, nullptr, "Coupure 10 Secondes",
         "Coupure 10 Secondes => Leq max enregistré pendant la coupure : 100 dB"},
        {3, 0, nullptr, nullptr, nullptr},
        {0, 255, nullptr, "Coupure 10 Secondes",
         "Coupure 10 Secondes => Leq max enregistré pendant la coupure : 187 dB"},
        {1, 1, nullptr, nullptr, nullptr},
        {0, 0, nullptr, nullptr, nullptr},
        {-32768, 0, nullptr, nullptr, nullptr},
    };
    const auto expect = [](std::optional<QString> got, const char* want, const char* what, int c7, int c8) {
        if (want)
            EXPECT_EQ(got.value_or(QStringLiteral("<none>")), QString::fromUtf8(want))
                << what << c7 << '/' << c8;
        else
            EXPECT_FALSE(got.has_value()) << what << c7 << '/' << c8 << ' ' << got->toStdString();
    };
    for (const Case& c : cases) {
        expect(knownEventText(3, c.c7, c.c8, EventList::Table), c.gen3, "gen3 ", c.c7, c.c8);
        expect(knownEventText(3, c.c7, c.c8, EventList::Graph), c.gen3, "gen3 graph ", c.c7, c.c8);
        expect(knownEventText(5, c.c7, c.c8, EventList::Table), c.gen5Table, "gen5 ", c.c7, c.c8);
        expect(knownEventText(5, c.c7, c.c8, EventList::Graph), c.gen5Graph, "gen5 graph ", c.c7, c.c8);
    }
    EXPECT_EQ(eventText(5, 3, 0, EventList::Table), QStringLiteral("Evénement non répertorié (codes 3 / 0)"));
}

TEST(BuildEventTable, FullLineFormat) {
    DataStore store;
    putRows(store.Event_Records, {{7, 9, 5, 0, 3, 7, 2, 0}});
    store.Period_First = store.Period_Last = 1;
    EXPECT_EQ(BuildEventTable(store),
              QStringList{QStringLiteral(
                  "      Le   Lundi    05    Mars     2007   à   09 h. 07   :   Fermeture Capot.")});
}

TEST(BuildEventTable, WindowEventsAtTheSwitchHoursOnlyInTheGraphList) {
    struct Case {
        int generation, minute, hour, c8;
        bool inTable;
    } cases[] = {
        {5, 0, 22, 32, false}, {5, 1, 22, 32, true}, {5, 0, 7, 64, false}, {5, 0, 7, 16, true},
        {3, 0, 7, 64, false},  {3, 0, 8, 64, true},  {5, 0, 21, 32, true}, {3, 0, 22, 32, false},
    };
    for (const Case& c : cases) {
        DataStore store;
        store.Device_Version = static_cast<int16_t>(c.generation);
        putRows(store.Event_Records, {{c.minute, c.hour, 5, 0, 3, 9, 0, c.c8}});
        setPeriod(store, QStringLiteral("05/03/2009"), QStringLiteral("05/03/2009"));
        store.Period_First = store.Period_Last = 1;
        EXPECT_EQ(BuildEventTable(store).size(), c.inTable ? 1 : 0)
            << c.generation << ' ' << c.hour << ':' << c.minute;
        EXPECT_EQ(BuildGraphEventList(store).lines.size(), 1)
            << c.generation << ' ' << c.hour << ':' << c.minute;
    }
}

TEST(BuildEventTable, SeparatorsAndNonEvents) {
    DataStore store;
    store.Device_Version = 5;
    putRows(store.Event_Records, {
                                     {0, 8, 5, 0, 3, 9, 1, 0},
                                     {0, 9, 5, 0, 3, 9, 0, 0}, // no code: never a line
                                     {0, 10, 5, 0, 3, 9, 2, 0},
                                     {0, 22, 5, 0, 3, 9, 0, 32}, // routine: left out
                                     {0, 7, 6, 0, 3, 9, 0, 64},  // routine, next day
                                     {30, 7, 6, 0, 3, 9, 0, 64},
                                     {0, 1, 7, 0, 3, 9, 5, 5}, // both codes: never a line
                                     {0, 2, 8, 0, 3, 9, 4, 0},
                                 });
    store.Period_First = 1;
    store.Period_Last = 8;
    setPeriod(store, QStringLiteral("05/03/2009"), QStringLiteral("08/03/2009"));
    EXPECT_EQ(textsOf(BuildEventTable(store)), (QStringList{"Ouverture Capot", "Fermeture Capot", "",
                                                            "Fenêtre Fermée", "", "Coupure Alimentation"}));
    const TableList graph = BuildGraphEventList(store);
    EXPECT_FALSE(graph.message);
    EXPECT_EQ(textsOf(graph.lines),
              (QStringList{"Ouverture Capot", "Fermeture Capot", "Ouverture Fenêtre", "", "Fermeture Fenêtre",
                           "Fermeture Fenêtre", "", "Coupure Alimentation"}));
}

TEST(BuildGraphEventList, OwnPeriodSearchAndMessage) {
    DataStore store;
    putRows(store.Event_Records, {{0, 8, 5, 0, 3, 9, 1, 0}, {0, 8, 6, 0, 3, 9, 2, 0}});
    store.Period_First = 11;
    store.Period_Last = 12;
    setPeriod(store, QStringLiteral("6/3/2009"), QStringLiteral("6/3/2009"));
    EXPECT_EQ(textsOf(BuildGraphEventList(store).lines), QStringList{"Fermeture Capot"});
    setPeriod(store, QStringLiteral("7/3/2009"), QStringLiteral("8/3/2009"));
    const TableList empty = BuildGraphEventList(store);
    EXPECT_TRUE(empty.message);
    EXPECT_EQ(empty.lines, (QStringList{"", "", "    Pas d'événements enregistrés durant cette période!!!"}));
    EXPECT_EQ(store.Period_First, 11);
    EXPECT_EQ(store.Period_Last, 12);
}
