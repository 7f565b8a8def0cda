#include "core/link/QtSerialLink.h"

#include "core/platform/Clock.h"

#include <termios.h>

QtSerialLink::QtSerialLink(Clock* clock) : m_clock(clock) {
    QObject::connect(&m_port, &QSerialPort::readyRead, [this] {
        if (m_clock) m_clock->wake();
    });
    QObject::connect(&m_port, &QSerialPort::errorOccurred,
                     [this](QSerialPort::SerialPortError error) { handleError(error); });
}

QtSerialLink::~QtSerialLink() {
    m_clock = nullptr;
    if (m_port.isOpen()) m_port.close();
}

bool QtSerialLink::open(const QString& devicePath, const QString& settings) {
    if (m_port.isOpen()) m_port.close();
    m_lost = false;
    m_errorText.clear();
    const auto parsed = ParseSerialSettings(settings);
    if (!parsed) {
        m_errorText = QStringLiteral("invalid settings \"%1\"").arg(settings);
        return false;
    }
    if (devicePath.isEmpty()) {
        m_errorText = QStringLiteral("no serial device");
        return false;
    }
    m_port.setPortName(devicePath);
    m_port.setBaudRate(parsed->baudRate);
    m_port.setDataBits(static_cast<QSerialPort::DataBits>(parsed->dataBits));
    switch (parsed->parity) {
    case 'E':
        m_port.setParity(QSerialPort::EvenParity);
        break;
    case 'O':
        m_port.setParity(QSerialPort::OddParity);
        break;
    case 'M':
        m_port.setParity(QSerialPort::MarkParity);
        break;
    case 'S':
        m_port.setParity(QSerialPort::SpaceParity);
        break;
    default:
        m_port.setParity(QSerialPort::NoParity);
        break;
    }
    m_port.setStopBits(parsed->stopBits == 2     ? QSerialPort::TwoStop
                       : parsed->stopBits == 1.5 ? QSerialPort::OneAndHalfStop
                                                 : QSerialPort::OneStop);
    m_port.setFlowControl(QSerialPort::NoFlowControl);
    if (!m_port.open(QIODevice::ReadWrite)) {
        m_errorText = m_port.errorString();
        m_port.clearError();
        return false;
    }
    setDataTerminalReady(false);
    if (m_clearOnOpen) {
        m_port.clear(QSerialPort::Input);
        m_clearOnOpen = false;
    }
    return true;
}

void QtSerialLink::close() {
    m_clearOnOpen = false;
    if (!m_port.isOpen()) return;
    // A command byte still leaving at 4800 baud must be out before the port is closed and reopened at
    // another rate: the wait is one character long at most.
    m_port.flush();
    ::tcdrain(m_port.handle());
    m_port.close();
}

bool QtSerialLink::isOpen() const {
    return m_port.isOpen();
}

void QtSerialLink::setDataTerminalReady(bool on) {
    if (!m_port.isOpen()) return;
    // A pseudo-terminal has no modem lines and answers "unsupported operation": harmless.
    if (!m_port.setDataTerminalReady(on)) m_port.clearError();
}

void QtSerialLink::setInputBufferSize(int bytes) {
    m_port.setReadBufferSize(bytes);
}

void QtSerialLink::write(const QByteArray& bytes) {
    if (!m_port.isOpen()) return;
    m_port.write(bytes);
    // The gen-3 command phase closes the port right after its byte: push it to the driver now.
    m_port.flush();
}

int QtSerialLink::bytesWaiting() const {
    return m_port.isOpen() ? static_cast<int>(m_port.bytesAvailable()) : 0;
}

QByteArray QtSerialLink::readAll() {
    return m_port.isOpen() ? m_port.readAll() : QByteArray();
}

void QtSerialLink::clearInput() {
    if (m_port.isOpen())
        m_port.clear(QSerialPort::Input);
    else
        m_clearOnOpen = true;
}

void QtSerialLink::handleError(QSerialPort::SerialPortError error) {
    switch (error) {
    case QSerialPort::ResourceError: // adapter unplugged
    case QSerialPort::ReadError:     // the other end hung up (pseudo-terminal closed)
    case QSerialPort::WriteError:
        if (!m_port.isOpen() || m_lost) break;
        m_lost = true;
        m_errorText = m_port.errorString();
        // Closing stops the stream of repeated errors a dead descriptor would raise.
        m_port.close();
        if (m_clock) m_clock->wake();
        break;
    default:
        // Timeouts of blocking calls and unsupported modem lines are not line failures.
        break;
    }
}
