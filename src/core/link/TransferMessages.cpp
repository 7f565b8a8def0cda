#include "core/link/TransferMessages.h"

namespace {

QString errorText(int number) {
    return QStringLiteral("Erreur %1 - Veuillez consulter le cahier de maintenace du logiciel pour résoudre "
                          "le problème.")
        .arg(number, 2, 10, QLatin1Char('0'));
}

// "COM 3 (/dev/ttyUSB0)"; a line named by its device path alone (command line) shows the path.
QString portName(int comPort, const QString& devicePath) {
    if (comPort < 1) return devicePath;
    QString name = QStringLiteral("COM %1").arg(comPort);
    if (!devicePath.isEmpty()) name += QStringLiteral(" (%1)").arg(devicePath);
    return name;
}

} // namespace

std::optional<TransferMessage> TransferFailureMessage(int transferStep) {
    switch (transferStep) {
    case 0:
        return TransferMessage{
            MessageIcon::Critical, QStringLiteral("Téléchargement des données interrompu !!!"),
            QStringLiteral("Téléchargement des données interrompu !!! Traitement des données "
                           "impossible !!!")};
    case 1:
    case 2:
    case 3:
    case 4: {
        // Each failure stops its own retry counter at a different value.
        const int error = transferStep == 3 ? 1 : transferStep == 4 ? 2 : transferStep == 2 ? 3 : 4;
        return TransferMessage{
            MessageIcon::Critical,
            QStringLiteral("Erreur de transmission (Erreur %1)").arg(error, 2, 10, QLatin1Char('0')),
            errorText(error)};
    }
    default:
        return std::nullopt;
    }
}

TransferMessage PortUnavailableMessage(int comPort, const QString& devicePath) {
    return {MessageIcon::Critical, QStringLiteral("Port de communication indisponible"),
            QStringLiteral(
                "Le port de communication %1 ne peut pas être ouvert. Vérifiez que l'adaptateur est "
                "branché et qu'aucun autre programme n'utilise ce port, puis recommencez le transfert.")
                .arg(portName(comPort, devicePath))};
}

TransferMessage LinkLostMessage(int comPort, const QString& devicePath) {
    return {
        MessageIcon::Critical, QStringLiteral("Liaison avec le QLV 40 interrompue"),
        QStringLiteral("La liaison avec le QLV 40 sur le port de communication %1 a été perdue pendant le "
                       "transfert. Aucune donnée n'a été modifiée. Vérifiez le câble et l'adaptateur, puis "
                       "recommencez le transfert.")
            .arg(portName(comPort, devicePath))};
}

TransferMessage DeviceSilentMessage(int comPort, const QString& devicePath, qint64 silenceMs) {
    const qint64 seconds = (silenceMs + 999) / 1000;
    return {
        MessageIcon::Critical, QStringLiteral("Le QLV 40 ne répond plus"),
        QStringLiteral("Le QLV 40 sur le port de communication %1 n'a plus rien envoyé depuis %2 s : le "
                       "transfert est abandonné. Aucune donnée n'a été modifiée. Vérifiez l'appareil et sa "
                       "version, puis recommencez le transfert.")
            .arg(portName(comPort, devicePath))
            .arg(seconds)};
}
