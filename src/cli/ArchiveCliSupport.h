#pragma once

#include "cli/CliApp.h"
#include "cli/CliOptions.h"
#include "core/archive/Archive.h"

#include <QDate>
#include <memory>
#include <optional>

// What the archive commands share: their options, their failures and the archive and device they name.
namespace ArchiveCli {

constexpr int kUsageError = 2;
using Parsed = CliArgs;

// "--name value" pairs among positional arguments; every option takes a value. With noArguments, a
// positional argument is refused too.
bool parse(const QStringList& args, const QStringList& known, Parsed& parsed, CliStreams& io,
           const char* command, bool noArguments = false);

// A failure as the program's message box: title, then text; the run fails.
int failure(QTextStream& messages, const QString& text);
int failure(CliStreams& io, const QString& text);

std::unique_ptr<Archive> openArchive(const Parsed& parsed, CliStreams& io, int& status,
                                     ArchiveOpenMode mode = ArchiveOpenMode::MustExist);

// The device named by --serial (as vorl-cli info prints it) or --device (its archive id).
std::optional<ArchivedDevice> deviceOf(Archive& archive, const Parsed& parsed, CliStreams& io, int& status);

// The archive the options name and, in `device`, the device they name in it; nothing (with a message
// and status set) when either cannot be had.
std::unique_ptr<Archive> openArchiveAndDevice(const Parsed& parsed, CliStreams& io, int& status,
                                              std::optional<ArchivedDevice>& device);

QString dayText(const QDate& d); // dd/MM/yyyy

} // namespace ArchiveCli

// vorl-cli archive venue add|attach|list, and venue --serial S|--device ID --name TEXT.
int RunArchiveVenue(const QStringList& args, CliStreams& io);
