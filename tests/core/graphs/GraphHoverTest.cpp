#include "core/graphs/GraphHover.h"
#include "GraphWindowFixture.h"

using namespace graphtest;

namespace {
// The x the curve gives a time of the 1-day window from noon of 9 March 2007.
double xOf(int day, int hour, int minute) {
    GraphSpan span{QDate(2007, 3, 9), QDate(2007, 3, 10), 1};
    return *timeX(span, day, 3, 7, hour, minute);
}
} // namespace

TEST(GraphHover, RecordUnderTheCursorAtBoundariesAndInGaps) {
    LoadedGraphWindow w;
    w.addLeq10(at(9, 3, 2007, 20, 10), 88); // covers 20:00..20:10
    w.addLeq10(at(9, 3, 2007, 20, 20), 92); // 20:10..20:20, joined to the first
    w.addLeq10(at(9, 3, 2007, 21, 0), 97);  // 20:50..21:00, after a gap
    const GraphHoverIndex index(w.store, GraphId::Leq10);
    ASSERT_EQ(index.size(), 3);

    struct Case {
        const char* where;
        double x;
        int record; // 0 = nothing
    } cases[] = {
        {"before the first step", xOf(9, 19, 59), 0},
        {"inside the first step", xOf(9, 20, 5), 1},
        {"end of the first step", xOf(9, 20, 10), 1},
        {"just after the first step", xOf(9, 20, 10) + 1e-6, 2},
        {"end of the second step", xOf(9, 20, 20), 2},
        {"in the gap", xOf(9, 20, 30), 0},
        {"just before the third step", xOf(9, 21, 0) - 10 / 60.0 - 1e-6, 0},
        {"start of the third step", xOf(9, 20, 51), 3},
        {"end of the third step", xOf(9, 21, 0), 3},
        {"after the last record", xOf(9, 21, 1), 0},
    };
    for (const Case& c : cases) {
        const auto hit = index.recordAt(c.x);
        EXPECT_EQ(hit ? hit->record : 0, c.record) << c.where;
    }
    EXPECT_EQ(index.recordAt(xOf(9, 20, 15))->level, 92);
}

TEST(GraphHover, ToolTipTextsWithTheThresholdInForce) {
    struct Case {
        GraphId graph;
        int generation;
        QDateTime when;
        int level;
        QString text;
    } cases[] = {
        {GraphId::Leq10, 5, at(9, 3, 2007, 20, 10), 88,
         QStringLiteral("09/03/2007  20 h. 00 à 20 h. 10\nLeq 10 = 88 dB.\nSeuil = 105 dB.")},
        // From 22 h the night threshold is in force: a record ending on the step still belongs to
        // the day, one starting on it to the night.
        {GraphId::Leq10, 5, at(9, 3, 2007, 22, 0), 99,
         QStringLiteral("09/03/2007  21 h. 50 à 22 h. 00\nLeq 10 = 99 dB.\nSeuil = 105 dB.")},
        {GraphId::Leq1, 5, at(9, 3, 2007, 22, 0), 99,
         QStringLiteral("09/03/2007  21 h. 59 à 22 h. 00\nLeq 1 = 99 dB.\nSeuil = 105 dB.")},
        {GraphId::Leq10, 5, at(9, 3, 2007, 22, 10), 99,
         QStringLiteral("09/03/2007  22 h. 00 à 22 h. 10\nLeq 10 = 99 dB.\nSeuil = 95 dB.")},
        {GraphId::Leq1, 5, at(10, 3, 2007, 0, 0), 101,
         QStringLiteral("09/03/2007  23 h. 59 à 00 h. 00\nLeq 1 = 101 dB.\nSeuil = 95 dB.")},
        {GraphId::Leq10, 3, at(10, 3, 2007, 6, 30), 85,
         QStringLiteral("10/03/2007  06 h. 20 à 06 h. 30\nLeq = 85 dB.\nSeuil = 105 dB.")},
    };
    for (const Case& c : cases) {
        LoadedGraphWindow w(1, c.generation);
        if (c.generation == 3)
            w.addLeq(7, c.when, c.level);
        else if (c.graph == GraphId::Leq1)
            w.addLeq1(c.when, c.level);
        else
            w.addLeq10(c.when, c.level);
        const GraphHoverIndex index(w.store, c.graph);
        GraphSpan span{QDate(2007, 3, 9), QDate(2007, 3, 10), 1};
        const double x =
            *timeX(span, c.when.date().day(), 3, 7, c.when.time().hour(), c.when.time().minute());
        EXPECT_EQ(index.toolTipAt(x).value_or(QString()), c.text);
    }
}

TEST(GraphHover, WithoutTemplateOrRecords) {
    LoadedGraphWindow w;
    w.store.Template_Drawn = kFalse;
    w.addLeq10(at(9, 3, 2007, 20, 10), 88);
    const GraphHoverIndex index(w.store, GraphId::Leq10);
    EXPECT_EQ(index.toolTipAt(xOf(9, 20, 10)).value_or(QString()),
              QStringLiteral("09/03/2007  20 h. 00 à 20 h. 10\nLeq 10 = 88 dB."));
    EXPECT_EQ(GraphHoverIndex(w.store, GraphId::Leq1).size(), 0);
    EXPECT_FALSE(GraphHoverIndex().toolTipAt(20));
    // Before the first step the level before it applies.
    LoadedGraphWindow t;
    const GraphHoverIndex templ(t.store, GraphId::Leq10);
    EXPECT_EQ(templ.thresholdAt(-30), 105);
    EXPECT_EQ(templ.thresholdAt(600), 95);
    EXPECT_EQ(templ.thresholdAt(18 * 60), 105);
}
