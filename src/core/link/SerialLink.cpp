#include "core/link/SerialLink.h"

#include <QStringList>

std::optional<SerialSettings> ParseSerialSettings(const QString& settings) {
    const QStringList parts = settings.split(QLatin1Char(','));
    if (parts.size() != 4) return std::nullopt;
    SerialSettings result;
    bool ok = false;
    result.baudRate = parts[0].trimmed().toInt(&ok);
    if (!ok || result.baudRate <= 0) return std::nullopt;
    const QString parity = parts[1].trimmed().toUpper();
    if (parity.size() != 1 || !QStringLiteral("NEOMS").contains(parity)) return std::nullopt;
    result.parity = parity.at(0).toLatin1();
    result.dataBits = parts[2].trimmed().toInt(&ok);
    if (!ok || result.dataBits < 5 || result.dataBits > 8) return std::nullopt;
    result.stopBits = parts[3].trimmed().toDouble(&ok);
    if (!ok || (result.stopBits != 1 && result.stopBits != 1.5 && result.stopBits != 2)) return std::nullopt;
    return result;
}
