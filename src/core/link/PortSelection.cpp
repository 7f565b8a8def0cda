#include "core/link/PortSelection.h"

namespace {
const QString kTitleStart = QStringLiteral("VORL Analyser - QLV 40 - Version 5.6  |  Port de com. : COM ");
} // namespace

QString portChosenTitle(int comPort, int deviceVersion) {
    const QString start = kTitleStart + QString::number(comPort);
    if (deviceVersion == 3) return start + QStringLiteral("  |  FirmWare QLV 40 : Version 3.2");
    return start + QStringLiteral("  |  FirmWare QLV 40 : Version ") + QString::number(deviceVersion) +
           QStringLiteral(".X");
}

QString noPortOkTitle() {
    return QStringLiteral(
        "VORL Analyser - QLV 40 - Version 5.6  |  Pas de port de COM.  |  Mode d'ouverture de fichier actif");
}

QString noPortClosedTitle() {
    return QStringLiteral(
        "VORL Analyser - QLV 40 - Version 5.5  |  Pas de port de COM.  |  Mode d'ouverture de fichier actif");
}

QString probeFailureText(ProbeFailure failure) {
    switch (failure) {
    case ProbeFailure::None:
        return {};
    case ProbeFailure::NoDevice:
        return QStringLiteral("périphérique absent");
    case ProbeFailure::PermissionDenied:
        return QStringLiteral("accès refusé : votre compte n'a pas le droit d'ouvrir ce port (sous Linux, "
                              "il doit faire partie du groupe dialout)");
    case ProbeFailure::Busy:
        return QStringLiteral("port occupé par un autre programme");
    case ProbeFailure::Other:
        break;
    }
    return QStringLiteral("le port ne peut pas être ouvert");
}

QString portToolTip(const PortTable& table, int port, ProbeFailure failure) {
    QString path = table.devicePath(port);
    if (path.isEmpty()) return QStringLiteral("Aucun périphérique série pour ce numéro");
    if (failure == ProbeFailure::None) return path;
    return path + QStringLiteral(" : ") + probeFailureText(failure);
}

PortChoices loadPortChoices(DataStore& store, PortProber& prober) {
    PortChoices choices;
    if (store.Device_Version == 3 || store.Device_Version == 5)
        choices.selectedVersion = store.Device_Version;

    int lastUsable = 0;
    for (int port = 1; port <= PortTable::kPortCount; ++port) {
        bool opened = false;
        ProbeFailure failure = ProbeFailure::Other;
        // A probe failure of any kind only means the port is not offered.
        try {
            opened = prober.canOpen(port);
            if (!opened) failure = prober.failureOf(port);
        } catch (...) {
            opened = false;
        }
        choices.usable[port] = opened;
        choices.failures[port] = opened ? ProbeFailure::None : failure;
        if (opened) {
            ++choices.usableCount;
            lastUsable = port;
        }
    }

    if (!choices.isUsable(store.Com_Port)) store.Com_Port = 0;
    if (choices.usableCount == 1) store.Com_Port = static_cast<int16_t>(lastUsable);
    if (store.Com_Port != 0) {
        choices.selectedPort = store.Com_Port;
        choices.okEnabled = true;
    }
    return choices;
}

PortOkOutcome acceptPortChoice(DataStore& store, int selectedPort, int selectedVersion) {
    if (selectedPort >= 1 && selectedPort <= PortTable::kPortCount)
        store.Com_Port = static_cast<int16_t>(selectedPort);
    if (selectedVersion == 3 || selectedVersion == 5)
        store.Device_Version = static_cast<int16_t>(selectedVersion);
    if (store.Com_Port != 0) return {portChosenTitle(store.Com_Port, store.Device_Version), true};
    return {noPortOkTitle(), false};
}

std::optional<QString> portUnloadTitle(const DataStore& store) {
    if (store.Com_Port == 0) return noPortClosedTitle();
    return std::nullopt;
}
