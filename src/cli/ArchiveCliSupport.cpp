#include "cli/ArchiveCliSupport.h"

#include "cli/ArchiveCommands.h"
#include "cli/TerminalText.h"

namespace ArchiveCli {
namespace {
const QString kArchiveTitle = QStringLiteral("Archive");
} // namespace

bool parse(const QStringList& args, const QStringList& known, Parsed& parsed, CliStreams& io,
           const char* command, bool noArguments) {
    auto read = ParseCliArgs(args, ValueOptions(known), QLatin1String(command), io.err);
    if (!read) return false;
    parsed = std::move(*read);
    return !noArguments || CliNoArguments(parsed, QLatin1String(command), io.err);
}

int failure(QTextStream& messages, const QString& text) {
    messages << kArchiveTitle << '\n' << TerminalText(text) << '\n';
    return 1;
}
int failure(CliStreams& io, const QString& text) {
    return failure(io.out, text);
}

std::unique_ptr<Archive> openArchive(const Parsed& parsed, CliStreams& io, int& status,
                                     ArchiveOpenMode mode) {
    return OpenArchiveForCli(parsed.options.value(QStringLiteral("archive")), io.out, status, mode);
}

std::optional<ArchivedDevice> deviceOf(Archive& archive, const Parsed& parsed, CliStreams& io, int& status) {
    const bool bySerial = !parsed.options.value(QStringLiteral("serial")).isEmpty();
    if (bySerial == parsed.options.contains(QStringLiteral("device"))) {
        io.err << "vorl-cli archive: give --serial S or --device ID\n";
        status = kUsageError;
        return std::nullopt;
    }
    return ArchivedDeviceForCli(archive, parsed.options, io.out, status);
}

std::unique_ptr<Archive> openArchiveAndDevice(const Parsed& parsed, CliStreams& io, int& status,
                                              std::optional<ArchivedDevice>& device) {
    auto archive = openArchive(parsed, io, status);
    if (archive) device = deviceOf(*archive, parsed, io, status);
    return device ? std::move(archive) : nullptr;
}

QString dayText(const QDate& d) {
    return d.toString(QStringLiteral("dd/MM/yyyy"));
}

} // namespace ArchiveCli
