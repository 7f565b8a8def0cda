#pragma once

#include "cli/CliApp.h"
#include "core/archive/Archive.h"

#include <QMap>
#include <memory>
#include <optional>

// vorl-cli archive import|list|coverage|extract|verify|venue, each with --archive LOCATION.
std::vector<CliCommand> archiveCliCommands();

// vorl-cli generate --history DIR [--weeks N] [--seed S]: the weekly save files of one device.
int runGenerateHistory(const QStringList& args, CliStreams& io);

// The archive of a command's --archive value (empty: VORL_ARCHIVE, else the default file). Nothing
// when it is off or cannot be opened: the reason is shown as a message and status set. Only an
// import creates a missing archive; for a command that reads, it is "introuvable".
std::unique_ptr<Archive> OpenArchiveForCli(const QString& locationText, QTextStream& messages, int& status,
                                           ArchiveOpenMode mode = ArchiveOpenMode::MustExist);

// The archived device a command names: by --device (its archive id, as archive list prints it) or by
// --serial (as vorl-cli info prints it). A serial two devices print alike is refused with both listed.
ArchiveResult<ArchivedDevice> FindArchivedDevice(Archive& archive, const QMap<QString, QString>& options);

// The same, for a command: nothing, with a message and status set, when the archive has no such device.
std::optional<ArchivedDevice> ArchivedDeviceForCli(Archive& archive, const QMap<QString, QString>& options,
                                                   QTextStream& messages, int& status);
