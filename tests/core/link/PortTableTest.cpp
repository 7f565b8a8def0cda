#include "core/link/PortTable.h"

#include "support/EnvironmentGuard.h"

#include <gtest/gtest.h>

namespace {
QStringList paths(std::initializer_list<const char*> list) {
    QStringList result;
    for (const char* path : list)
        result.append(QString::fromLatin1(path));
    return result;
}

} // namespace

TEST(PortTable, NaturalOrderOfDeviceNames) {
    struct Case {
        const char* a;
        const char* b;
        bool less;
    } cases[] = {
        {"/dev/ttyUSB2", "/dev/ttyUSB10", true},
        {"/dev/ttyUSB10", "/dev/ttyUSB2", false},
        {"/dev/ttyS9", "/dev/ttyS10", true},
        {"/dev/ttyACM0", "/dev/ttyUSB0", true},
        {"/dev/ttyS1", "/dev/ttyS1", false},
        {"/dev/ttyS", "/dev/ttyS0", true},
        {"/dev/ttyS01", "/dev/ttyS1", true}, // same value: the plain text decides, never both ways
        {"/dev/ttyS1", "/dev/ttyS01", false},
        {"/dev/ttyS99999999999999999999999", "/dev/ttyS100000000000000000000000", true},
        {"/dev/ttyAMA0", "/dev/ttyS0", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PortTable::naturalLess(QString::fromLatin1(c.a), QString::fromLatin1(c.b)), c.less)
            << c.a << " < " << c.b;
}

TEST(PortTable, OrdersListedThenUsbThenOnBoard) {
    struct Case {
        const char* name;
        QStringList listed;
        QList<PortTable::Device> found;
        QStringList expected;
    } cases[] = {
        {"usb adapters in natural order before on-board ports",
         {},
         {{"/dev/ttyS1", false},
          {"/dev/ttyUSB10", true},
          {"/dev/ttyS0", false},
          {"/dev/ttyUSB2", true},
          {"/dev/ttyACM0", true},
          {"/dev/ttyAMA0", false}},
         paths(
             {"/dev/ttyACM0", "/dev/ttyUSB2", "/dev/ttyUSB10", "/dev/ttyAMA0", "/dev/ttyS0", "/dev/ttyS1"})},
        {"listed paths first, in the order given",
         paths({"/dev/pts/7", "/dev/pts/3"}),
         {{"/dev/ttyS0", false}, {"/dev/ttyUSB0", true}},
         paths({"/dev/pts/7", "/dev/pts/3", "/dev/ttyUSB0", "/dev/ttyS0"})},
        {"duplicates dropped, first place kept",
         paths({"/dev/ttyUSB1", "/dev/pts/3", "/dev/pts/3"}),
         {{"/dev/ttyUSB0", true}, {"/dev/ttyUSB1", true}, {"/dev/ttyS0", false}, {"/dev/ttyS0", false}},
         paths({"/dev/ttyUSB1", "/dev/pts/3", "/dev/ttyUSB0", "/dev/ttyS0"})},
        {"nothing at all", {}, {}, {}},
        {"empty paths are never numbered",
         paths({""}),
         {{"", true}, {"/dev/ttyS0", false}},
         paths({"/dev/ttyS0"})},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PortTable::orderDevices(c.listed, c.found), c.expected) << c.name;
}

TEST(PortTable, StopsAtSixteenPorts) {
    QStringList listed;
    for (int i = 0; i < 10; ++i)
        listed.append(QStringLiteral("/dev/pts/%1").arg(i));
    QList<PortTable::Device> found;
    for (int i = 0; i < 32; ++i)
        found.append({QStringLiteral("/dev/ttyS%1").arg(i), false});
    found.append({QStringLiteral("/dev/ttyUSB0"), true});

    const QStringList ordered = PortTable::orderDevices(listed, found);
    ASSERT_EQ(ordered.size(), 16);
    EXPECT_EQ(ordered.at(9), "/dev/pts/9");
    EXPECT_EQ(ordered.at(10), "/dev/ttyUSB0");
    EXPECT_EQ(ordered.at(15), "/dev/ttyS4");

    const PortTable table(ordered + paths({"/dev/extra"}));
    EXPECT_EQ(table.devicePaths().size(), 16);
    EXPECT_EQ(table.devicePath(16), "/dev/ttyS4");
    for (int port : {0, -1, 17, 32767})
        EXPECT_TRUE(table.devicePath(port).isEmpty()) << port;
}

TEST(PortTable, UsbAdaptersAreRecognisedByName) {
    for (const char* name : {"/dev/ttyUSB0", "/dev/ttyACM3", "/dev/ttyCH341USB0", "/dev/ttyXRUSB1"})
        EXPECT_TRUE(PortTable::isUsbName(QString::fromLatin1(name))) << name;
    for (const char* name : {"/dev/ttyS0", "/dev/ttyAMA0", "/dev/rfcomm0", "/dev/pts/2", "/tmp/USB/ttyS0"})
        EXPECT_FALSE(PortTable::isUsbName(QString::fromLatin1(name))) << name;
}

TEST(PortTable, OverrideListIsSplitOnColons) {
    EXPECT_EQ(PortTable::parsePortList(QStringLiteral("/dev/pts/3:/dev/pts/4")),
              paths({"/dev/pts/3", "/dev/pts/4"}));
    EXPECT_EQ(PortTable::parsePortList(QStringLiteral(" /dev/pts/3 ::/tmp/a b:")),
              paths({"/dev/pts/3", "/tmp/a b"}));
    EXPECT_TRUE(PortTable::parsePortList(QString()).isEmpty());
    EXPECT_TRUE(PortTable::parsePortList(QStringLiteral(":::")).isEmpty());
}

TEST(PortTable, DetectTakesTheOverrideListAlone) {
    EnvironmentGuard env;
    env.set("VORL_PORTS", "/tmp/vorl-a:/tmp/vorl-b:/tmp/vorl-a");
    env.set("VORL_PORTS_ONLY", "1");
    EXPECT_EQ(PortTable::detect().devicePaths(), paths({"/tmp/vorl-a", "/tmp/vorl-b"}));

    env.unset("VORL_PORTS");
    EXPECT_TRUE(PortTable::detect().devicePaths().isEmpty());
}

TEST(PortTable, DetectPutsTheOverrideListBeforeTheMachinesPorts) {
    EnvironmentGuard env;
    env.set("VORL_PORTS", "/tmp/vorl-first:/tmp/vorl-second");
    env.set("VORL_PORTS_ONLY", "0");
    QStringList detected = PortTable::detect().devicePaths();
    ASSERT_GE(detected.size(), 2);
    EXPECT_EQ(detected.mid(0, 2), paths({"/tmp/vorl-first", "/tmp/vorl-second"}));
    EXPECT_LE(detected.size(), 16);
    EXPECT_EQ(detected.removeDuplicates(), 0);
}
