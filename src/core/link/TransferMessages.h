#pragma once

#include "core/platform/UiServices.h"

#include <QString>
#include <optional>

struct TransferMessage {
    MessageIcon icon = MessageIcon::Critical;
    QString title;
    QString text;
};

// The message that reports a failed transfer from the Transfer_Step it left with Abort_Flag set:
// 0 = interrupted by the user, 1..4 = "Erreur 04" .. "Erreur 01" as the retry counters stopped.
// No message for any other value.
std::optional<TransferMessage> TransferFailureMessage(int transferStep);

// Port failures: the port of Com_Port cannot be opened, or it failed during the transfer.
TransferMessage PortUnavailableMessage(int comPort, const QString& devicePath);
TransferMessage LinkLostMessage(int comPort, const QString& devicePath);
// The device answered, then sent nothing more for silenceMs.
TransferMessage DeviceSilentMessage(int comPort, const QString& devicePath, qint64 silenceMs);
