#include "../CliRun.h"
#include "cli/CliApp.h"
#include "core/link/PortTable.h"

#include "support/EnvironmentGuard.h"
#include "support/PseudoTerminal.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

TEST(PortsCommand, ListsTheNumberedDevicesAndWhetherTheyOpen) {
    PseudoTerminal pty;
    ASSERT_FALSE(pty.slavePath().isEmpty());
    QTemporaryDir dir;
    const QString missing = dir.path() + QStringLiteral("/ttyUSB9");
    EnvironmentGuard env;
    env.set("VORL_PORTS", (pty.slavePath() + QLatin1Char(':') + missing).toLocal8Bit());
    env.set("VORL_PORTS_ONLY", "1");

    const CliRun run = runVorlCli({QStringLiteral("ports")});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, QStringLiteral("COM 1\t%1\tusable\nCOM 2\t%2\tcannot be opened (no such device)\n")
                           .arg(pty.slavePath(), missing));
}

TEST(PortsCommand, NoDeviceAndTheRule) {
    EnvironmentGuard env;
    env.unset("VORL_PORTS");
    env.set("VORL_PORTS_ONLY", "1");
    const CliRun none = runVorlCli({QStringLiteral("ports")});
    EXPECT_EQ(none.status, 0);
    EXPECT_TRUE(none.out.isEmpty());
    EXPECT_FALSE(none.err.isEmpty());

    EXPECT_EQ(runVorlCli({QStringLiteral("ports"), QStringLiteral("--rule")}).out, PortTable::rule() + '\n');
    EXPECT_EQ(runVorlCli({QStringLiteral("ports"), QStringLiteral("extra")}).status, 2);
}
