#include "TableTestData.h"
#include "core/tables/EventTable.h"
#include "core/tables/LeqTables.h"
#include "core/tables/Parameters.h"
#include "core/tables/TableViews.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>

using namespace tabletest;

namespace {
template <class Table>
void scramble(Table& table, QRandomGenerator& random, const std::vector<int16_t>& values) {
    for (int r = 1; r <= Table::rowCount; ++r)
        for (int c = 1; c <= Table::columnCount; ++c)
            table(r, c) = values[random.bounded(static_cast<quint32>(values.size()))];
}
} // namespace

// Every builder takes any cell value (a damaged file, a line error) without reading out of its tables.
TEST(TablesRobustness, AnyCellValueGivesLinesWithoutFault) {
    const std::vector<int16_t> values = {0, 1, 7, 10, 12, 22, 59, 60, 99, 128, 200, 255, 32767, -1, -32768};
    QRandomGenerator random(20090305);
    for (int generation : {3, 5}) {
        DataStore store;
        store.Device_Version = static_cast<int16_t>(generation);
        scramble(store.Leq_Records, random, values);
        scramble(store.Event_Records, random, values);
        scramble(store.Param_Change_Records, random, values);
        for (int i = 0; i < ParamZone::size; ++i)
            store.Param_Block[i] = values[random.bounded(15u)];
        // A period wide enough to take every row in.
        store.Start_Day = store.Start_Month = QStringLiteral("-40000");
        store.Start_Year = QStringLiteral("-40000");
        store.End_Day = store.End_Month = store.End_Year = QStringLiteral("40000");

        EXPECT_FALSE(PrepareLeqTable(store).list.lines.isEmpty());
        EXPECT_EQ(store.Period_Last, 4096);
        EXPECT_FALSE(PrepareLeqTableV5(store).list10.lines.isEmpty());
        EXPECT_FALSE(PrepareEventTable(store).list.lines.isEmpty());
        EXPECT_FALSE(BuildGraphEventList(store).lines.isEmpty());
        const ParametersView params = LoadParameters(store);
        for (int k = -1; k <= params.history.size(); ++k)
            ChooseParameterChange(store, params, k);

        // Row bounds set by someone else are kept inside the tables.
        for (auto [first, last] : {std::pair{-5, 3}, {8000, 9000}, {32767, -32768}, {1, 32767}}) {
            store.Period_First = first;
            store.Period_Last = last;
            BuildLeqTableV3(store);
            BuildEventTable(store);
            SplitLeq1Leq10(store);
        }
        for (int16_t count : {int16_t(-5), int16_t(0), int16_t(32767)}) {
            store.Leq1_Count = store.Leq10_Count = count;
            BuildLeq1Table(store);
            BuildLeq10Table(store);
        }
    }
}
