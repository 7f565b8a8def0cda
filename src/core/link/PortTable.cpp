#include "core/link/PortTable.h"

PortTable::PortTable(QStringList devicePaths) : m_paths(std::move(devicePaths)) {
    while (m_paths.size() > kPortCount) m_paths.removeLast();
}

QString PortTable::devicePath(int port) const {
    if (port < 1 || port > m_paths.size()) return {};
    return m_paths.at(port - 1);
}

PortTable PortTable::detect() { return PortTable(); }
