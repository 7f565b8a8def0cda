#include "ui/shell/StandIns.h"

#include <QSerialPort>

bool SerialPortProber::canOpen(int port) {
    const QString path = m_ports.devicePath(port);
    if (path.isEmpty()) return false;
    QSerialPort serial;
    serial.setPortName(path);
    if (!serial.open(QIODevice::ReadWrite)) return false;
    serial.close();
    return true;
}

void StandInTransferRunner::runTransfer(DataStore& store) {
    // Reported as "Erreur 01": the device did not answer.
    store.Abort_Flag = kTrue;
    store.Transfer_Step = 3;
}
