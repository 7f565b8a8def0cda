// How "COM n" finds its device. Linux has no COM numbers, so the program numbers the serial devices
// it can see, always in the same order, and the port dialog offers the first sixteen:
//
//   1. the paths listed in the environment variable VORL_PORTS, separated by ':', in the order given
//      (the demo device and the tests put their pseudo-terminals there);
//   2. unless VORL_PORTS_ONLY is 1, the serial devices the system reports: first the USB serial
//      adapters (ttyUSB*, ttyACM*, and any other name holding "USB"), then the on-board and other
//      ports (ttyS*, ttyAMA*, ...), each group in natural name order (ttyUSB2 before ttyUSB10);
//   3. a path already numbered is not numbered again; numbers stop at 16.
//
// Pseudo-terminals are never reported by the system, which is why the override list exists.

#include "core/link/PortTable.h"

#include <QFileInfo>
#include <QSerialPortInfo>
#include <algorithm>

PortTable::PortTable(QStringList devicePaths) : m_paths(std::move(devicePaths)) {
    while (m_paths.size() > kPortCount)
        m_paths.removeLast();
}

QString PortTable::devicePath(int port) const {
    if (port < 1 || port > m_paths.size()) return {};
    return m_paths.at(port - 1);
}

QString PortTable::rule() {
    return QStringLiteral(
        "COM 1 to COM 16 are numbered in this order:\n"
        "  1. the paths listed in VORL_PORTS, separated by ':', in the order given;\n"
        "  2. unless VORL_PORTS_ONLY=1, the USB serial adapters the system reports (ttyUSB*, ttyACM*,\n"
        "     other names holding \"USB\"), then the other serial ports (ttyS*, ttyAMA*, ...),\n"
        "     each group in natural name order (ttyUSB2 before ttyUSB10);\n"
        "  3. a path already numbered is skipped; numbering stops at 16.");
}

QStringList PortTable::parsePortList(const QString& value) {
    QStringList paths;
    for (const QString& part : value.split(QLatin1Char(':'))) {
        const QString path = part.trimmed();
        if (!path.isEmpty()) paths.append(path);
    }
    return paths;
}

bool PortTable::isUsbName(const QString& path) {
    const QString name = QFileInfo(path).fileName();
    return name.startsWith(QLatin1String("ttyUSB")) || name.startsWith(QLatin1String("ttyACM")) ||
           name.contains(QLatin1String("USB"));
}

namespace {
// Compares two runs of decimal digits by value without converting them, so that no length of
// digits can overflow.
int compareDigitRuns(QStringView a, QStringView b) {
    while (a.size() > 1 && a.front() == QLatin1Char('0'))
        a = a.mid(1);
    while (b.size() > 1 && b.front() == QLatin1Char('0'))
        b = b.mid(1);
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    return a.compare(b);
}

qsizetype runEnd(QStringView text, qsizetype from) {
    const bool digits = text.at(from).isDigit();
    qsizetype end = from;
    while (end < text.size() && text.at(end).isDigit() == digits)
        ++end;
    return end;
}
} // namespace

bool PortTable::naturalLess(const QString& a, const QString& b) {
    qsizetype i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        const qsizetype iEnd = runEnd(a, i);
        const qsizetype jEnd = runEnd(b, j);
        const QStringView runA = QStringView(a).mid(i, iEnd - i);
        const QStringView runB = QStringView(b).mid(j, jEnd - j);
        int order;
        if (runA.front().isDigit() && runB.front().isDigit())
            order = compareDigitRuns(runA, runB);
        else
            order = runA.compare(runB);
        if (order != 0) return order < 0;
        i = iEnd;
        j = jEnd;
    }
    if ((i < a.size()) != (j < b.size())) return j < b.size();
    // Equal by value ("ttyS01" and "ttyS1"): fall back to the plain text so the order stays total.
    return a < b;
}

QStringList PortTable::orderDevices(const QStringList& listedPaths, const QList<Device>& found) {
    QStringList usb, other;
    for (const Device& device : found)
        (device.isUsb ? usb : other).append(device.path);
    std::sort(usb.begin(), usb.end(), naturalLess);
    std::sort(other.begin(), other.end(), naturalLess);

    QStringList paths;
    for (const QStringList* group : std::initializer_list<const QStringList*>{&listedPaths, &usb, &other}) {
        for (const QString& path : *group) {
            if (paths.size() == kPortCount) return paths;
            if (!path.isEmpty() && !paths.contains(path)) paths.append(path);
        }
    }
    return paths;
}

PortTable PortTable::detect() {
    const QStringList listed = parsePortList(qEnvironmentVariable("VORL_PORTS"));
    QList<Device> found;
    if (qEnvironmentVariable("VORL_PORTS_ONLY").trimmed() != QLatin1String("1")) {
        for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
            const QString path = info.systemLocation();
            found.append({path, isUsbName(path)});
        }
    }
    return PortTable(orderDevices(listed, found));
}
