#include "core/graphs/ThresholdTemplate.h"
#include "GraphTestSupport.h"
#include "support/Fakes.h"

#include <random>

using namespace graphtest;
namespace msg = TemplateMessages;

namespace {
constexpr int kOpen = 32;
constexpr int kClosed = 64;

struct Levels {
    int day, dayWindow, night, nightWindow, dayNightHour, nightDayHour;
};

// A generation-5 data set as the classification leaves it: unused rows hold 255 in every cell.
struct Gen5 {
    DataStore store;
    FakeUiServices ui;
    int events = 0;
    int params = 0;

    Gen5(int day, int month, int year, int days) {
        store.Device_Version = 5;
        store.Event_Records.fill(255);
        store.Param_Change_Records.fill(255);
        setWindow(store, day, month, year, days);
        current({100, 101, 90, 91, 21, 7});
    }
    void state(const QDateTime& when, int code) { setEvent(store.Event_Records, ++events, when, 0, code); }
    void otherEvent(const QDateTime& when) { setEvent(store.Event_Records, ++events, when, 16, 0); }
    void change(const QDateTime& when, Levels l) {
        ParamChangeTable& h = store.Param_Change_Records;
        setDate(h, ++params, when);
        const int values[4] = {l.day, l.dayWindow, l.night, l.nightWindow};
        for (int i = 0; i < 4; ++i) {
            h(params, 29 + 2 * i) = static_cast<int16_t>(values[i] / 100);
            h(params, 30 + 2 * i) = static_cast<int16_t>(values[i] % 100);
        }
        h(params, 44) = static_cast<int16_t>(l.dayNightHour);
        h(params, 46) = static_cast<int16_t>(l.nightDayHour);
    }
    void current(Levels l) {
        const int values[4] = {l.day, l.dayWindow, l.night, l.nightWindow};
        for (int i = 0; i < 4; ++i) {
            store.Param_Block[2176 + 2 * i] = static_cast<int16_t>(values[i] / 100);
            store.Param_Block[2177 + 2 * i] = static_cast<int16_t>(values[i] % 100);
        }
        store.Param_Block[2191] = static_cast<int16_t>(l.dayNightHour);
        store.Param_Block[2193] = static_cast<int16_t>(l.nightDayHour);
    }
    bool recorded() { return BuildRecordedTemplate(store, ui); }
};

const Levels kUsual{80, 85, 70, 75, 22, 6};

TemplateStep step(int day, int month, int year, int hour, int minute, int before, int after) {
    return {int16_t(day),    int16_t(month),  int16_t(year - 2000), int16_t(hour),
            int16_t(minute), int16_t(before), int16_t(after)};
}
} // namespace

TEST(BuildThresholdTemplate, Generation3TwoStepsPerDayFromTheDialog) {
    DataStore store;
    FakeUiServices ui;
    store.Device_Version = 3;
    setWindow(store, 9, 3, 2007, 1);
    store.Graph_Day_Level = 105;
    store.Graph_Night_Level = 95;
    store.Graph_Day_Night_Hour = 22;
    store.Graph_Night_Day_Hour = 6;
    BuildThresholdTemplate(store, ui);
    EXPECT_EQ(store.Template_Drawn, kTrue);
    EXPECT_EQ(store.Template_Steps, (std::vector<TemplateStep>{step(9, 3, 2007, 22, 0, 105, 95),
                                                               step(10, 3, 2007, 6, 0, 95, 105)}));
    EXPECT_TRUE(ui.messages.empty());

    setWindow(store, 30, 12, 2007, 3);
    BuildThresholdTemplate(store, ui);
    ASSERT_EQ(store.Template_Steps.size(), 6u);
    EXPECT_EQ(store.Template_Steps[3], step(1, 1, 2008, 6, 0, 95, 105));
    EXPECT_EQ(store.Template_Steps[4], step(1, 1, 2008, 22, 0, 105, 95));
}

TEST(BuildRecordedTemplate, ClosedWindowAllAlongGivesTheSwitchesOnly) {
    Gen5 g(9, 3, 2007, 3);
    g.change(at(1, 3, 2007, 10, 0), kUsual);
    g.state(at(2, 3, 2007, 8, 30), kClosed);
    g.otherEvent(at(9, 3, 2007, 15, 0));
    ASSERT_TRUE(g.recorded());
    EXPECT_EQ(g.store.Template_Steps,
              (std::vector<TemplateStep>{step(9, 3, 2007, 22, 0, 80, 70), step(10, 3, 2007, 6, 0, 70, 80),
                                         step(10, 3, 2007, 22, 0, 80, 70), step(11, 3, 2007, 6, 0, 70, 80),
                                         step(11, 3, 2007, 22, 0, 80, 70), step(12, 3, 2007, 6, 0, 70, 80)}));
    EXPECT_EQ(g.store.Template_Drawn, kTrue);
    EXPECT_EQ(g.store.Template_Param_First, 1);
    EXPECT_EQ(g.store.Template_Params_Constant, kTrue);
    EXPECT_TRUE(g.ui.messages.empty());
}

TEST(BuildRecordedTemplate, WindowOpenedAtNightUsesTheNightWindowThreshold) {
    Gen5 g(9, 3, 2007, 1);
    g.change(at(1, 3, 2007, 10, 0), kUsual);
    g.state(at(2, 3, 2007, 8, 30), kClosed);
    g.state(at(9, 3, 2007, 23, 30), kOpen);
    g.state(at(10, 3, 2007, 8, 0), kClosed);
    ASSERT_TRUE(g.recorded());
    EXPECT_EQ(g.store.Template_Steps,
              (std::vector<TemplateStep>{step(9, 3, 2007, 22, 0, 80, 70), step(9, 3, 2007, 23, 30, 70, 75),
                                         step(10, 3, 2007, 6, 0, 75, 85), step(10, 3, 2007, 8, 0, 85, 80)}));
}

// The device logs the window state at the switch hours themselves; whichever way the sort leaves such
// a change and its switch, the line keeps the day threshold all evening and the night one all night.
TEST(BuildRecordedTemplate, WindowStatesLoggedAtTheSwitchMinuteKeepTheLineContinuous) {
    struct Case {
        const char* name;
        int firstCode, eveningCode, morningCode;
    };
    const Levels hours{80, 85, 70, 75, 22, 7};
    const std::vector<Case> cases = {
        {"closed all along, logged again at 22:00 and 07:00", kClosed, kClosed, kClosed},
        {"opened at 22:00, closed at 07:00", kClosed, kOpen, kClosed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Gen5 g(9, 3, 2007, 1);
        g.change(at(1, 3, 2007, 10, 0), hours);
        g.state(at(2, 3, 2007, 8, 30), c.firstCode);
        g.state(at(9, 3, 2007, 22, 0), c.eveningCode);
        g.state(at(10, 3, 2007, 7, 0), c.morningCode);
        ASSERT_TRUE(g.recorded());
        const std::vector<TemplateStep>& steps = g.store.Template_Steps;
        ASSERT_EQ(steps.size(), 4u);
        EXPECT_EQ(steps.front().before, 80); // the day threshold from noon on
        for (size_t s = 1; s < steps.size(); ++s)
            EXPECT_EQ(steps[s].before, steps[s - 1].after) << "step " << s + 1;
        EXPECT_EQ(steps[1].after, c.eveningCode == kOpen ? 75 : 70); // the night
        EXPECT_EQ(steps.back().after, 80);                           // the next day
    }
}

TEST(BuildRecordedTemplate, ChangesAtExactlyNoon) {
    Gen5 g(9, 3, 2007, 1);
    g.change(at(1, 3, 2007, 10, 0), kUsual);
    g.change(at(9, 3, 2007, 12, 0), {90, 95, 60, 65, 22, 6});  // offset 0: in force at the start
    g.change(at(10, 3, 2007, 12, 0), {99, 99, 99, 99, 22, 6}); // offset = span: neither inside nor after
    g.state(at(2, 3, 2007, 8, 30), kOpen);
    g.state(at(9, 3, 2007, 12, 0), kClosed);
    g.state(at(10, 3, 2007, 12, 0), kOpen);
    ASSERT_TRUE(g.recorded());
    EXPECT_EQ(g.store.Template_Param_First, 2);
    EXPECT_EQ(g.store.Template_Param_Last, 2);
    EXPECT_EQ(g.store.Template_Steps,
              (std::vector<TemplateStep>{step(9, 3, 2007, 22, 0, 90, 60), step(10, 3, 2007, 6, 0, 60, 90)}));
}

TEST(BuildRecordedTemplate, SwitchHoursChangingInsideTheWindowKeepTheirPlace) {
    Gen5 g(9, 3, 2007, 3);
    g.change(at(1, 3, 2007, 10, 0), kUsual);
    g.change(at(10, 3, 2007, 15, 0), {80, 85, 70, 75, 20, 7});
    g.state(at(2, 3, 2007, 8, 30), kClosed);
    ASSERT_TRUE(g.recorded());
    EXPECT_EQ(g.store.Template_Steps,
              (std::vector<TemplateStep>{step(9, 3, 2007, 22, 0, 80, 70), step(10, 3, 2007, 6, 0, 70, 80),
                                         step(10, 3, 2007, 15, 0, 80, 80), step(10, 3, 2007, 20, 0, 80, 70),
                                         step(11, 3, 2007, 7, 0, 70, 80), step(11, 3, 2007, 20, 0, 80, 70),
                                         step(12, 3, 2007, 7, 0, 70, 80)}));
    EXPECT_EQ(g.store.Template_Param_First, 1);
    EXPECT_EQ(g.store.Template_Param_Last, 2);
    EXPECT_EQ(g.store.Template_Params_Constant, kFalse);
}

TEST(BuildRecordedTemplate, ParameterChangeAtNightAndConstantSets) {
    Gen5 g(9, 3, 2007, 1);
    g.change(at(1, 3, 2007, 10, 0), kUsual);
    g.change(at(10, 3, 2007, 2, 0), kUsual); // same values again: still one constant set
    g.state(at(2, 3, 2007, 8, 30), kOpen);
    ASSERT_TRUE(g.recorded());
    EXPECT_EQ(g.store.Template_Steps[1], step(10, 3, 2007, 2, 0, 75, 75));
    EXPECT_EQ(g.store.Template_Params_Constant, kTrue);
    EXPECT_EQ(g.store.Template_Param_Last, 2);
}

TEST(BuildRecordedTemplate, EmptyHistoryUsesTheCurrentParameters) {
    Gen5 g(9, 3, 2007, 1);
    g.current({110, 115, 100, 105, 23, 5});
    g.state(at(2, 3, 2007, 8, 30), kClosed);
    ASSERT_TRUE(g.recorded());
    EXPECT_EQ(g.store.Template_Param_First, 0);
    EXPECT_EQ(g.store.Template_Params_Constant, kTrue);
    EXPECT_EQ(g.store.Template_Steps, (std::vector<TemplateStep>{step(9, 3, 2007, 23, 0, 110, 100),
                                                                 step(10, 3, 2007, 5, 0, 100, 110)}));
}

TEST(BuildRecordedTemplate, EachFailureHasItsMessage) {
    struct Case {
        const char* name;
        std::function<void(Gen5&)> setup;
        const QString& title;
        const QString& text;
    } cases[] = {
        {"no window state at all",
         [](Gen5& g) {
             g.change(at(1, 3, 2007, 10, 0), kUsual);
             g.otherEvent(at(2, 3, 2007, 8, 0));
         },
         msg::kTitle, msg::kNoWindowState},
        {"first window state inside the window",
         [](Gen5& g) {
             g.change(at(1, 3, 2007, 10, 0), kUsual);
             g.state(at(9, 3, 2007, 18, 0), kOpen);
         },
         msg::kTitle, msg::kBadWindowState},
        {"window states only after the window",
         [](Gen5& g) {
             g.change(at(1, 3, 2007, 10, 0), kUsual);
             g.state(at(11, 3, 2007, 18, 0), kOpen);
             g.state(at(12, 3, 2007, 18, 0), kClosed);
         },
         msg::kTitle, msg::kBadWindowState},
        {"first parameter change inside the window",
         [](Gen5& g) {
             g.change(at(9, 3, 2007, 20, 0), kUsual);
             g.state(at(2, 3, 2007, 8, 30), kClosed);
         },
         msg::kTitle, msg::kBadParameterChanges},
        {"every parameter change after the start",
         [](Gen5& g) {
             g.change(at(12, 3, 2007, 20, 0), kUsual);
             g.state(at(2, 3, 2007, 8, 30), kClosed);
         },
         msg::kTitle, msg::kNoParameterBeforeWindow},
        {"a switch sorts before the initial state",
         [](Gen5& g) {
             g.change(at(9, 3, 2007, 11, 0), {80, 85, 70, 75, 10, 6});
             g.state(at(9, 3, 2007, 11, 0), kClosed);
         },
         msg::kUncertainTitle, msg::kUncertainParameters},
        {"16-bit level overflow",
         [](Gen5& g) {
             g.change(at(1, 3, 2007, 10, 0), {80, 85, 70, 75, 22, 6});
             g.store.Param_Change_Records(1, 29) = 400;
             g.state(at(2, 3, 2007, 8, 30), kClosed);
         },
         msg::kUncertainTitle, msg::kUncertainParameters},
        {"a window state on a day that does not exist",
         [](Gen5& g) {
             g.change(at(1, 3, 2007, 10, 0), kUsual);
             g.state(at(2, 2, 2007, 8, 30), kClosed);
             g.store.Event_Records(1, 3) = 31; // 31 February
         },
         msg::kUncertainTitle, msg::kUncertainParameters},
        {"a history row with an impossible date",
         [](Gen5& g) {
             g.change(at(1, 3, 2007, 10, 0), kUsual);
             g.store.Param_Change_Records(1, 5) = 13;
             g.state(at(2, 3, 2007, 8, 30), kClosed);
         },
         msg::kUncertainTitle, msg::kUncertainParameters},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Gen5 g(9, 3, 2007, 1);
        c.setup(g);
        EXPECT_FALSE(g.recorded());
        ASSERT_EQ(g.ui.messages.size(), 1u);
        EXPECT_EQ(g.ui.messages[0].icon, MessageIcon::Information);
        EXPECT_EQ(g.ui.messages[0].title, c.title);
        EXPECT_EQ(g.ui.messages[0].text, c.text);
        EXPECT_EQ(g.store.Template_Drawn, kFalse);
        EXPECT_EQ(g.store.Template_Params_Constant, kFalse);

        // The window then shows the template of the current parameters, window closed.
        g.ui.messages.clear();
        BuildThresholdTemplate(g.store, g.ui);
        EXPECT_EQ(g.ui.messages.size(), 1u);
        EXPECT_EQ(g.store.Template_Drawn, kTrue);
        EXPECT_EQ(g.store.Template_Params_Constant, kFalse);
        EXPECT_EQ(g.store.Template_Steps, (std::vector<TemplateStep>{step(9, 3, 2007, 21, 0, 100, 90),
                                                                     step(10, 3, 2007, 7, 0, 90, 100)}));
    }
}

TEST(BuildRecordedTemplate, TheTwoParameterMessagesDifferInOneAccent) {
    EXPECT_TRUE(msg::kBadParameterChanges.contains(QStringLiteral("érronées")));
    EXPECT_TRUE(msg::kNoParameterBeforeWindow.contains(QStringLiteral(" erronées")));
    EXPECT_TRUE(msg::kBadWindowState.contains(QStringLiteral("érronées")));
}

TEST(SortTemplateChanges, SameMinuteOrderIsTheSelectionSorts) {
    using C = TemplateChange;
    // A and C share a minute; the selection sort's swap puts C first, a stable sort would not.
    const C a{0, 10, 9, 3, 7, C::ParameterSet, 1};
    const C c{0, 10, 9, 3, 7, C::WindowState, 2};
    const C b{0, 9, 9, 3, 7, C::Switch, 0};
    std::vector<C> changes{a, c, b};
    SortTemplateChanges(changes);
    EXPECT_EQ(changes, (std::vector<C>{b, c, a}));

    // Across years, months and minutes the result is chronological.
    std::vector<C> mixed{
        {5, 1, 1, 1, 8, 0, 0}, {0, 23, 31, 12, 7, 0, 0}, {4, 1, 1, 1, 8, 0, 0}, {0, 0, 1, 2, 7, 0, 0}};
    SortTemplateChanges(mixed);
    EXPECT_EQ(
        mixed,
        (std::vector<C>{
            {0, 0, 1, 2, 7, 0, 0}, {0, 23, 31, 12, 7, 0, 0}, {4, 1, 1, 1, 8, 0, 0}, {5, 1, 1, 1, 8, 0, 0}}));
}

TEST(IsNightHour, AcrossAndWithinTheDay) {
    struct Case {
        int hour, dayNight, nightDay;
        bool night;
    } cases[] = {
        {22, 22, 6, true},  {23, 22, 6, true}, {0, 22, 6, true}, {5, 22, 6, true}, {6, 22, 6, false},
        {21, 22, 6, false}, {2, 1, 5, true},   {5, 1, 5, false}, {0, 1, 5, false}, {7, 7, 7, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(isNightHour(c.hour, c.dayNight, c.nightDay), c.night) << c.hour;
}

// Whatever the event log, history, zone and calendar hold, a generation-5 window ends with a template
// and at most one message.
TEST(BuildThresholdTemplate, SafeForAnyCellValue) {
    std::mt19937 random(11);
    std::uniform_int_distribution<int> any(-32768, 32767);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> pick(0, 3);
    for (int round = 0; round < 40; ++round) {
        Gen5 g(1 + round % 28, 1 + round % 12, 2001 + round, round % 3 == 0 ? 7 : 1);
        auto value = [&](int realistic) { return static_cast<int16_t>(round % 2 ? any(random) : realistic); };
        for (int row = 1; row <= 60; ++row) {
            for (int col = 1; col <= 8; ++col)
                g.store.Event_Records(row, col) = value(byte(random));
            if (pick(random) == 0) {
                g.store.Event_Records(row, 7) = 0;
                g.store.Event_Records(row, 8) = pick(random) < 2 ? 32 : 64;
            }
            for (int col = 1; col <= 48; ++col)
                g.store.Param_Change_Records(row, col) = value(byte(random) % 60);
        }
        for (int cell = 2176; cell <= 2193; ++cell)
            g.store.Param_Block[cell] = value(byte(random));
        if (round % 5 == 4) g.store.graphDate(2, 1) = QStringLiteral("x");
        const bool badLength = round % 7 == 6;
        if (badLength) g.store.Graph_Days = static_cast<int16_t>(any(random) | 8);
        BuildThresholdTemplate(g.store, g.ui);
        // A length the dialog never stores gives no template at all.
        EXPECT_EQ(g.store.Template_Drawn, badLength ? kFalse : kTrue) << round;
        EXPECT_LE(g.ui.messages.size(), 1u) << round;
    }
}
