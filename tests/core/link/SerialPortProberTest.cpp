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
    EXPECT_EQ(prober.failureOf(1), ProbeFailure::NoDevice);
    EXPECT_TRUE(prober.canOpen(2)) << pty.slavePath().toStdString();
    EXPECT_EQ(prober.failureOf(2), ProbeFailure::None);
    EXPECT_FALSE(prober.canOpen(3)) << "a number without a device";
    EXPECT_EQ(prober.failureOf(3), ProbeFailure::NoDevice);
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
    ProbeFailure failure = ProbeFailure::None;
    EXPECT_FALSE(SerialPortProber::canOpenDevice(pty.slavePath(), &failure));
    EXPECT_EQ(failure, ProbeFailure::Busy);
    holder.close();
    EXPECT_TRUE(SerialPortProber::canOpenDevice(pty.slavePath()));
}

// The driver calls a held port and a forbidden one both a permission error: whether the user may
// open the device at all decides which it is.
TEST(SerialPortProber, DriverErrorsGiveTheReason) {
    struct Case {
        QSerialPort::SerialPortError error;
        bool userMayOpen;
        ProbeFailure failure;
    } cases[] = {
        {QSerialPort::DeviceNotFoundError, true, ProbeFailure::NoDevice},
        {QSerialPort::PermissionError, false, ProbeFailure::PermissionDenied},
        {QSerialPort::PermissionError, true, ProbeFailure::Busy},
        {QSerialPort::OpenError, true, ProbeFailure::Other},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SerialPortProber::classify(c.error, c.userMayOpen), c.failure) << c.error;
}
