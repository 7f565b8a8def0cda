#include "core/link/SerialPortProber.h"

#include <QSerialPort>

bool SerialPortProber::canOpen(int port) {
    return canOpenDevice(m_table.devicePath(port));
}

bool SerialPortProber::canOpenDevice(const QString& devicePath) {
    // A port number without a device must not fall back to whatever QSerialPort makes of "".
    if (devicePath.isEmpty()) return false;
    QSerialPort serial;
    serial.setPortName(devicePath);
    if (!serial.open(QIODevice::ReadWrite)) return false;
    serial.close();
    return true;
}
