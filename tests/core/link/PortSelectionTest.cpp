#include "core/link/PortSelection.h"

#include "support/FakePortProber.h"

#include <gtest/gtest.h>

namespace {
const QString kNoPortOk = QStringLiteral(
    "VORL Analyser - QLV 40 - Version 5.6  |  Pas de port de COM.  |  Mode d'ouverture de fichier actif");
const QString kNoPortClosed = QStringLiteral(
    "VORL Analyser - QLV 40 - Version 5.5  |  Pas de port de COM.  |  Mode d'ouverture de fichier actif");
} // namespace

TEST(PortSelection, TitlesOfTheMainWindow) {
    EXPECT_EQ(
        portChosenTitle(3, 3),
        "VORL Analyser - QLV 40 - Version 5.6  |  Port de com. : COM 3  |  FirmWare QLV 40 : Version 3.2");
    EXPECT_EQ(
        portChosenTitle(16, 5),
        "VORL Analyser - QLV 40 - Version 5.6  |  Port de com. : COM 16  |  FirmWare QLV 40 : Version 5.X");
    EXPECT_EQ(noPortOkTitle(), kNoPortOk);
    EXPECT_EQ(noPortClosedTitle(), kNoPortClosed);
}

TEST(PortSelection, LoadProbesEveryPortAndPreselects) {
    struct Case {
        const char* name;
        std::set<int> usable;
        int16_t comPortBefore;
        int16_t comPortAfter;
        bool okEnabled;
    } cases[] = {
        {"one usable port is taken at once", {7}, 0, 7, true},
        {"the only usable port replaces a dead previous one", {7}, 3, 7, true},
        {"two usable ports and no previous choice: none selected", {2, 9}, 0, 0, false},
        {"a previous port still usable stays selected", {2, 9}, 9, 9, true},
        {"a previous port no longer usable is dropped", {2, 9}, 4, 0, false},
        {"no usable port at all", {}, 5, 0, false},
        {"a previous number out of range is dropped", {1, 2}, 17, 0, false},
        {"a negative previous number is dropped", {1, 2}, -1, 0, false},
        {"ports 1 and 16 are both probed", {1, 16}, 16, 16, true},
    };
    for (const Case& c : cases) {
        DataStore store;
        store.Com_Port = c.comPortBefore;
        FakePortProber prober(c.usable);
        const PortChoices choices = loadPortChoices(store, prober);

        EXPECT_EQ(store.Com_Port, c.comPortAfter) << c.name;
        EXPECT_EQ(choices.selectedPort, c.comPortAfter) << c.name;
        EXPECT_EQ(choices.okEnabled, c.okEnabled) << c.name;
        EXPECT_EQ(choices.usableCount, static_cast<int>(c.usable.size())) << c.name;
        for (int port = 1; port <= 16; ++port)
            EXPECT_EQ(choices.isUsable(port), c.usable.count(port) == 1) << c.name;
        EXPECT_EQ(prober.probed, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}))
            << c.name;
    }
}

TEST(PortSelection, LoadSelectsTheVersionOfTheStore) {
    for (auto [version, selected] : {std::pair{3, 3}, {5, 5}, {0, 0}, {4, 0}}) {
        DataStore store;
        store.Device_Version = static_cast<int16_t>(version);
        FakePortProber prober;
        EXPECT_EQ(loadPortChoices(store, prober).selectedVersion, selected) << version;
        EXPECT_EQ(store.Device_Version, version);
    }
}

TEST(PortSelection, AProbeThatThrowsOnlyHidesThatPort) {
    class ThrowingProber : public PortProber {
    public:
        bool canOpen(int port) override {
            if (port == 4) throw std::runtime_error("driver");
            return port == 4 || port == 6;
        }
    } prober;
    DataStore store;
    const PortChoices choices = loadPortChoices(store, prober);
    EXPECT_FALSE(choices.isUsable(4));
    EXPECT_TRUE(choices.isUsable(6));
    EXPECT_EQ(store.Com_Port, 6);
}

TEST(PortSelection, OkStoresTheChoiceAndSaysWhetherTheWindowCloses) {
    struct Case {
        const char* name;
        int16_t comPortBefore, versionBefore;
        int selectedPort, selectedVersion;
        int16_t comPortAfter, versionAfter;
        bool closes;
    } cases[] = {
        {"port and generation 3", 0, 5, 3, 3, 3, 3, true},
        {"port and generation 5", 0, 3, 12, 5, 12, 5, true},
        {"no port selected keeps the previous one", 4, 5, 0, 5, 4, 5, true},
        {"no version selected keeps the generation", 0, 3, 2, 0, 2, 3, true},
        {"no port at all: the dialog stays", 0, 5, 0, 3, 0, 3, false},
    };
    for (const Case& c : cases) {
        DataStore store;
        store.Com_Port = c.comPortBefore;
        store.Device_Version = c.versionBefore;
        const PortOkOutcome outcome = acceptPortChoice(store, c.selectedPort, c.selectedVersion);
        EXPECT_EQ(store.Com_Port, c.comPortAfter) << c.name;
        EXPECT_EQ(store.Device_Version, c.versionAfter) << c.name;
        EXPECT_EQ(outcome.closeWindow, c.closes) << c.name;
        EXPECT_EQ(outcome.caption, c.closes ? portChosenTitle(c.comPortAfter, c.versionAfter) : kNoPortOk)
            << c.name;
    }
}

TEST(PortSelection, ClosingWithoutPortSetsTheFileModeTitle) {
    DataStore store;
    EXPECT_EQ(portUnloadTitle(store), kNoPortClosed);
    store.Com_Port = 2;
    EXPECT_FALSE(portUnloadTitle(store).has_value());
}

TEST(PortSelection, ToolTipsShowTheDeviceAndWhyItCannotBeOpened) {
    const PortTable table(QStringList{QStringLiteral("/dev/ttyUSB0"), QStringLiteral("/dev/pts/4"),
                                      QStringLiteral("/dev/ttyS0"), QStringLiteral("/dev/ttyS1")});
    FakePortProber prober({2});
    prober.failures = {
        {1, ProbeFailure::PermissionDenied}, {3, ProbeFailure::Busy}, {4, ProbeFailure::NoDevice}};
    DataStore store;
    const PortChoices choices = loadPortChoices(store, prober);
    struct Case {
        int port;
        ProbeFailure failure;
        const char* reasonPart; // "" for none
    } cases[] = {
        {1, ProbeFailure::PermissionDenied, "dialout"},
        {2, ProbeFailure::None, ""},
        {3, ProbeFailure::Busy, "occupé"},
        {4, ProbeFailure::NoDevice, "absent"},
        {5, ProbeFailure::Other, "ne peut pas être ouvert"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.port);
        EXPECT_EQ(choices.failures[static_cast<size_t>(c.port)], c.failure);
        const QString tip = portToolTip(table, c.port, c.failure);
        if (c.port <= 4) {
            EXPECT_TRUE(tip.startsWith(table.devicePath(c.port)));
        } else {
            EXPECT_FALSE(tip.contains(QLatin1Char('/'))); // no device behind the number
        }
        if (c.failure == ProbeFailure::None)
            EXPECT_EQ(tip, table.devicePath(c.port));
        else if (c.port <= 4)
            EXPECT_TRUE(tip.contains(QString::fromUtf8(c.reasonPart))) << tip.toStdString();
    }
}
