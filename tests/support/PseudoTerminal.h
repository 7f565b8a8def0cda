#pragma once

#include <QString>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

// The master side of a pseudo-terminal; its slave stands in for a serial device.
class PseudoTerminal {
public:
    PseudoTerminal() {
        m_master = posix_openpt(O_RDWR | O_NOCTTY);
        if (m_master < 0 || grantpt(m_master) != 0 || unlockpt(m_master) != 0) return;
        if (const char* name = ptsname(m_master)) m_slavePath = QString::fromLocal8Bit(name);
    }
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;
    ~PseudoTerminal() {
        if (m_master >= 0) ::close(m_master);
    }
    const QString& slavePath() const { return m_slavePath; }

private:
    int m_master = -1;
    QString m_slavePath;
};
