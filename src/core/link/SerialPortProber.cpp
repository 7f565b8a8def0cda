#include "core/link/SerialPortProber.h"

#include <QFile>
#include <unistd.h>

bool SerialPortProber::canOpen(int port) {
    ProbeFailure failure = ProbeFailure::None;
    const bool opened = canOpenDevice(m_table.devicePath(port), &failure);
    if (port >= 1 && port <= PortTable::kPortCount) m_failures[static_cast<size_t>(port)] = failure;
    return opened;
}

ProbeFailure SerialPortProber::failureOf(int port) const {
    if (port < 1 || port > PortTable::kPortCount) return ProbeFailure::NoDevice;
    return m_failures[static_cast<size_t>(port)];
}

bool SerialPortProber::canOpenDevice(const QString& devicePath, ProbeFailure* failure) {
    auto refuse = [failure](ProbeFailure why) {
        if (failure) *failure = why;
        return false;
    };
    if (failure) *failure = ProbeFailure::None;
    // A port number without a device must not fall back to whatever QSerialPort makes of "".
    if (devicePath.isEmpty()) return refuse(ProbeFailure::NoDevice);
    QSerialPort serial;
    serial.setPortName(devicePath);
    if (!serial.open(QIODevice::ReadWrite)) {
        const bool userMayOpen = ::access(QFile::encodeName(devicePath).constData(), R_OK | W_OK) == 0;
        return refuse(classify(serial.error(), userMayOpen));
    }
    serial.close();
    return true;
}

ProbeFailure SerialPortProber::classify(QSerialPort::SerialPortError error, bool userMayOpen) {
    switch (error) {
    case QSerialPort::NoError:
        return ProbeFailure::None;
    case QSerialPort::DeviceNotFoundError:
        return ProbeFailure::NoDevice;
    case QSerialPort::PermissionError:
        return userMayOpen ? ProbeFailure::Busy : ProbeFailure::PermissionDenied;
    default:
        return ProbeFailure::Other;
    }
}
