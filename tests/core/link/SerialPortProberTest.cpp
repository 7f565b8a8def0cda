#include "core/link/SerialPortProber.h"

#include "support/PseudoTerminal.h"

#include <gtest/gtest.h>

#include <QSerialPort>
#include <QTemporaryDir>

TEST(SerialPortProber, OpensThePseudoTerminalNumberedByThePortTable) {
    PseudoTerminal pty;
    ASSERT_FALSE(pty.slavePath().isEmpty());
    QTemporaryDir dir;
    const QString missing = dir.path() + QStringLiteral("/ttyUSB0");

    const PortTable table(QStringList{missing, pty.slavePath()});
    SerialPortProber prober(table);
    EXPECT_FALSE(prober.canOpen(1)) << "a device that does not exist";
    EXPECT_TRUE(prober.canOpen(2)) << pty.slavePath().toStdString();
    EXPECT_FALSE(prober.canOpen(3)) << "a number without a device";
    EXPECT_FALSE(prober.canOpen(0));

    // The probe closed the port again: the transfer can open it afterwards.
    QSerialPort serial;
    serial.setPortName(pty.slavePath());
    EXPECT_TRUE(serial.open(QIODevice::ReadWrite));
}

TEST(SerialPortProber, APortInUseIsNotOffered) {
    PseudoTerminal pty;
    ASSERT_FALSE(pty.slavePath().isEmpty());
    QSerialPort holder;
    holder.setPortName(pty.slavePath());
    ASSERT_TRUE(holder.open(QIODevice::ReadWrite));
    EXPECT_FALSE(SerialPortProber::canOpenDevice(pty.slavePath()));
    holder.close();
    EXPECT_TRUE(SerialPortProber::canOpenDevice(pty.slavePath()));
}
