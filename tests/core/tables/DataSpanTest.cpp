#include "core/tables/DataSpan.h"
#include "core/files/SaveCommand.h"
#include "core/tables/PeriodDialog.h"

#include <gtest/gtest.h>

namespace {
// minute, hour, day, month, year - 2000 of one record with a level or an event code.
struct SpanStamp {
    int row, minute, hour, day, month, year;
};

template <class Table> void put(Table& table, const SpanStamp& s) {
    const int16_t cells[8] = {static_cast<int16_t>(s.minute),
                              static_cast<int16_t>(s.hour),
                              static_cast<int16_t>(s.day),
                              1,
                              static_cast<int16_t>(s.month),
                              static_cast<int16_t>(s.year),
                              0,
                              80};
    for (int c = 1; c <= 8; ++c)
        table(s.row, c) = cells[c - 1];
}
} // namespace

TEST(DataSpan, TextAndRecordDaysOfTheListedRecords) {
    struct Case {
        const char* name;
        int generation;
        bool loaded;
        QString view;
        std::vector<SpanStamp> levels, events;
        QString text;
        QList<QDate> days;
    } cases[] = {
        {"levels in any order",
         5,
         true,
         QStringLiteral("Graphique Leq"),
         {{1, 30, 18, 23, 3, 9}, {2, 27, 11, 30, 3, 9}, {3, 0, 0, 25, 3, 9}},
         {{1, 0, 9, 1, 1, 8}},
         QStringLiteral("Données du 23/03/2009 18:30 au 30/03/2009 11:27"),
         {QDate(2009, 3, 23), QDate(2009, 3, 25), QDate(2009, 3, 30)}},
        {"the event table spans the events",
         5,
         true,
         kViewEventTable,
         {{1, 30, 18, 23, 3, 9}},
         {{1, 5, 9, 1, 1, 8}, {2, 0, 23, 2, 1, 8}},
         QStringLiteral("Données du 01/01/2008 09:05 au 02/01/2008 23:00"),
         {QDate(2008, 1, 1), QDate(2008, 1, 2)}},
        {"impossible days and generation 3's unused half are no data",
         3,
         true,
         kViewLeqTable,
         {{1, 0, 12, 31, 2, 9}, {2, 0, 12, 1, 3, 9}, {4097, 0, 12, 2, 3, 9}},
         {},
         QStringLiteral("Données du 01/03/2009 12:00 au 01/03/2009 12:00"),
         {QDate(2009, 3, 1)}},
        {"nothing loaded", 5, false, kViewLeqTable, {{1, 0, 12, 1, 3, 9}}, {}, QString(), {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DataStore store;
        store.Device_Version = static_cast<int16_t>(c.generation);
        store.Data_Loaded = c.loaded ? kTrue : kFalse;
        store.Leq_Records.fill(255);
        store.Event_Records.fill(255);
        for (const SpanStamp& s : c.levels)
            put(store.Leq_Records, s);
        for (const SpanStamp& s : c.events)
            put(store.Event_Records, s);

        const DataSpan span = DataSpanFor(store, c.view);
        EXPECT_EQ(DataSpanText(span), c.text);
        EXPECT_EQ(span.days, QSet<QDate>(c.days.begin(), c.days.end()));
    }
}

TEST(DataSpan, DefaultsFollowTheDaysTheDataStandsFor) {
    // A week loaded from the archive brings a record just before its first day and its last night up to
    // noon the day after; a file of the same records stands for all of them.
    const std::vector<SpanStamp> week = {
        {1, 57, 23, 11, 10, 26}, {2, 0, 0, 12, 10, 26}, {3, 59, 23, 18, 10, 26}, {4, 59, 11, 19, 10, 26}};
    const QString weekName = QStringLiteral("Données QLV 40 du 12  Octobre  2026 au 18  Octobre  2026");
    struct Case {
        const char* name;
        std::vector<SpanStamp> levels;
        QDate loadedFirst, loadedLast;
        bool thenFile; // a file opened or a transfer made after the period
        QDate first, last, fromNight, toNight;
        QString saveName, spanText;
    } cases[] = {
        {"a loaded week", week, QDate(2026, 10, 12), QDate(2026, 10, 18), false, QDate(2026, 10, 12),
         QDate(2026, 10, 18), QDate(2026, 10, 12), QDate(2026, 10, 18), weekName,
         QStringLiteral("Données du 12/10/2026 00:00 au 18/10/2026 23:59")},
        {"the same records from a file",
         week,
         {},
         {},
         false,
         QDate(2026, 10, 11),
         QDate(2026, 10, 19),
         QDate(2026, 10, 12),
         QDate(2026, 10, 18),
         QStringLiteral("Données QLV 40 du 11  Octobre  2026 au 19  Octobre  2026"),
         QStringLiteral("Données du 11/10/2026 23:57 au 19/10/2026 11:59")},
        {"a file replaces the loaded week", week, QDate(2026, 10, 12), QDate(2026, 10, 18), true,
         QDate(2026, 10, 11), QDate(2026, 10, 19), QDate(2026, 10, 12), QDate(2026, 10, 18),
         QStringLiteral("Données QLV 40 du 11  Octobre  2026 au 19  Octobre  2026"),
         QStringLiteral("Données du 11/10/2026 23:57 au 19/10/2026 11:59")},
        {"a month proposes its last week",
         {{1, 0, 12, 1, 10, 26}, {2, 0, 12, 20, 10, 26}, {3, 0, 11, 21, 10, 26}},
         QDate(2026, 10, 1),
         QDate(2026, 10, 20),
         false,
         QDate(2026, 10, 1),
         QDate(2026, 10, 20),
         QDate(2026, 10, 14),
         QDate(2026, 10, 20),
         QStringLiteral("Données QLV 40 du 01  Octobre  2026 au 20  Octobre  2026"),
         QStringLiteral("Données du 01/10/2026 12:00 au 20/10/2026 12:00")},
        {"one day of a file proposes its own night",
         {{1, 0, 8, 5, 10, 26}, {2, 0, 20, 5, 10, 26}},
         {},
         {},
         false,
         QDate(2026, 10, 5),
         QDate(2026, 10, 5),
         QDate(2026, 10, 5),
         QDate(2026, 10, 5),
         QStringLiteral("Données QLV 40 du 05  Octobre  2026 au 05  Octobre  2026"),
         QStringLiteral("Données du 05/10/2026 08:00 au 05/10/2026 20:00")},
        {"a period whose days hold no record shows the records it has",
         {{1, 30, 23, 11, 10, 26}},
         QDate(2026, 10, 12),
         QDate(2026, 10, 12),
         false,
         QDate(2026, 10, 12),
         QDate(2026, 10, 12),
         QDate(2026, 10, 12),
         QDate(2026, 10, 12),
         QStringLiteral("Données QLV 40 du 12  Octobre  2026 au 12  Octobre  2026"),
         QStringLiteral("Données du 11/10/2026 23:30 au 11/10/2026 23:30")},
        {"nothing dated", {}, {}, {}, false, {}, {}, {}, {}, QString(), QString()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DeviceData data;
        data.Leq_Records.fill(255);
        data.Event_Records.fill(255);
        for (const SpanStamp& s : c.levels)
            put(data.Leq_Records, s);
        DataStore store;
        store.Data_Loaded = kTrue;
        store.commitPeriod(DeviceData(data), c.loadedFirst, c.loadedLast);
        if (c.thenFile) store.commit(DeviceData(data));

        const LoadedDayRange days = LoadedDays(store);
        EXPECT_EQ(days.first, c.first);
        EXPECT_EQ(days.last, c.last);
        const LoadedDayRange nights = ProposedNights(days);
        EXPECT_EQ(nights.first, c.fromNight);
        EXPECT_EQ(nights.last, c.toNight);
        EXPECT_EQ(DefaultSaveName(store, LeqTable::rowCount), c.saveName);
        EXPECT_EQ(DataSpanText(DataSpanFor(store, kViewLeqTable)), c.spanText);
    }
}
