#include "cli/ArchiveCommands.h"

#include "core/archive/Archive.h"
#include "core/store/Labels.h"
#include "sim/History.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>

namespace {

constexpr int kUsageError = 2;
const QString kArchiveTitle = QStringLiteral("Archive");

struct Parsed {
    QMap<QString, QString> options;
    QStringList positional;
};

// "--name value" pairs among positional arguments; every option takes a value.
bool parse(const QStringList& args, const QStringList& known, Parsed& parsed, CliStreams& io,
           const char* command) {
    for (int i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (!arg.startsWith(QLatin1String("--"))) {
            parsed.positional << arg;
            continue;
        }
        if (!known.contains(arg.mid(2))) {
            io.err << "vorl-cli " << command << ": unknown option '" << arg << "'\n";
            return false;
        }
        if (i + 1 >= args.size()) {
            io.err << "vorl-cli " << command << ": option '" << arg << "' needs a value\n";
            return false;
        }
        parsed.options[arg.mid(2)] = args[++i];
    }
    return true;
}

// A failure as the program's message box: title, then text; the run fails.
int failure(QTextStream& messages, const QString& text) {
    messages << kArchiveTitle << '\n' << text << '\n';
    return 1;
}
int failure(CliStreams& io, const QString& text) {
    return failure(io.out, text);
}

std::unique_ptr<Archive> openArchive(const Parsed& parsed, CliStreams& io, int& status) {
    return OpenArchiveForCli(parsed.options.value(QStringLiteral("archive")), io.out, status);
}

QDate parseDay(const QString& text) {
    const QDate iso = QDate::fromString(text, Qt::ISODate);
    return iso.isValid() ? iso : ParseDateText(text);
}

QString dayText(const QDate& d) {
    return d.toString(QStringLiteral("dd/MM/yyyy"));
}
QString timeText(const QDateTime& t) {
    return t.isValid() ? t.toString(QStringLiteral("dd/MM/yyyy hh:mm")) : QStringLiteral("none");
}

QString countsText(const RecordCounts& c) {
    return QStringLiteral("leq=%1 leq1=%2 leq10=%3 events=%4 param-changes=%5")
        .arg(c.leq)
        .arg(c.leq1)
        .arg(c.leq10)
        .arg(c.events)
        .arg(c.paramChanges);
}

// The device named by --serial, as vorl-cli info prints it.
std::optional<ArchivedDevice> deviceOf(Archive& archive, const Parsed& parsed, CliStreams& io, int& status) {
    const QString serial = parsed.options.value(QStringLiteral("serial"));
    if (serial.isEmpty()) {
        io.err << "vorl-cli archive: --serial is required\n";
        status = kUsageError;
        return std::nullopt;
    }
    return ArchivedDeviceForCli(archive, serial, io.out, status);
}

int runImport(const QStringList& args, CliStreams& io) {
    Parsed parsed;
    if (!parse(args, {QStringLiteral("archive")}, parsed, io, "archive import")) return kUsageError;
    if (parsed.positional.isEmpty()) {
        io.err << "vorl-cli archive import: give one or more save files\n";
        return kUsageError;
    }
    int status = 0;
    auto archive = openArchive(parsed, io, status);
    if (!archive) return status;
    for (const QString& file : parsed.positional) {
        io.err << "importing " << file << '\n';
        const ImportResult r = ImportSaveFile(*archive, file);
        switch (r.status) {
        case ImportStatus::Imported:
            io.out << file << ": download " << r.downloadId << " of " << r.serial << ", new "
                   << countsText(r.added) << ", duplicates " << countsText(r.duplicates) << '\n';
            break;
        case ImportStatus::AlreadyArchived:
            io.out << file << ": already archived (download " << r.downloadId << ")\n";
            break;
        default:
            status = failure(io, file + QStringLiteral(" : ") + r.error);
        }
    }
    return status;
}

int runList(const QStringList& args, CliStreams& io) {
    Parsed parsed;
    if (!parse(args, {QStringLiteral("archive")}, parsed, io, "archive list") || !parsed.positional.isEmpty())
        return kUsageError;
    int status = 0;
    auto archive = openArchive(parsed, io, status);
    if (!archive) return status;
    const auto devices = archive->devices();
    if (!devices) return failure(io, devices.error());
    io.out << "archive: " << archive->location().displayText() << '\n';
    for (const ArchivedDevice& d : *devices) {
        io.out << "device " << d.serial << " generation " << d.generation << " venue \"" << d.venue
               << "\" first " << timeText(d.firstRecord) << " last " << timeText(d.lastRecord)
               << " downloads " << d.downloads << '\n';
        const auto downloads = archive->downloads(d.id);
        if (!downloads) return failure(io, downloads.error());
        for (const ArchivedDownload& w : *downloads)
            io.out << "  download " << w.id << ' '
                   << (w.sourceKind == SourceKind::Transfer ? "transfer" : "file") << " \"" << w.sourceName
                   << "\" imported " << w.importedAt.toString(Qt::ISODate) << " covers "
                   << timeText(w.coverFrom) << " - " << timeText(w.coverTo) << ' ' << countsText(w.counts)
                   << " sha256 " << w.sha256 << '\n';
    }
    return 0;
}

const char* coverName(DayCover cover) {
    switch (cover) {
    case DayCover::Whole:
        return "whole";
    case DayCover::Partial:
        return "partial";
    case DayCover::None:
        break;
    }
    return "none";
}

int runCoverage(const QStringList& args, CliStreams& io) {
    Parsed parsed;
    if (!parse(args,
               {QStringLiteral("archive"), QStringLiteral("serial"), QStringLiteral("from"),
                QStringLiteral("to"), QStringLiteral("format")},
               parsed, io, "archive coverage") ||
        !parsed.positional.isEmpty())
        return kUsageError;
    const QString format = parsed.options.value(QStringLiteral("format"), QStringLiteral("text"));
    const QDate from = parseDay(parsed.options.value(QStringLiteral("from")));
    const QDate to = parseDay(parsed.options.value(QStringLiteral("to")));
    if (!QStringList{QStringLiteral("text"), QStringLiteral("csv"), QStringLiteral("json")}.contains(
            format) ||
        (parsed.options.contains(QStringLiteral("from")) && !from.isValid()) ||
        (parsed.options.contains(QStringLiteral("to")) && !to.isValid())) {
        io.err << "vorl-cli archive coverage: --format text|csv|json, --from and --to as DD/MM/YYYY\n";
        return kUsageError;
    }
    int status = 0;
    auto archive = openArchive(parsed, io, status);
    if (!archive) return status;
    const auto device = deviceOf(*archive, parsed, io, status);
    if (!device) return status;
    const auto coverage = archive->coverage(device->id, from, to);
    if (!coverage) return failure(io, coverage.error());
    const Coverage& c = *coverage;

    if (format == QLatin1String("json")) {
        QJsonArray covered, gaps, days;
        for (const TimeSpan& s : c.covered)
            covered.append(QJsonObject{{"from", timeText(s.from)}, {"to", timeText(s.to)}});
        for (const TimeSpan& s : c.gaps)
            gaps.append(QJsonObject{{"from", timeText(s.from)}, {"to", timeText(s.to)}});
        for (const DayStatus& d : c.days) {
            QJsonObject day{{"day", dayText(d.day)}, {"cover", QLatin1String(coverName(d.cover))}};
            if (d.highestLevel) day.insert(QStringLiteral("loudest"), *d.highestLevel);
            days.append(day);
        }
        const QJsonObject root{{"serial", device->serial},
                               {"limit", c.limitDb},
                               {"weighting", c.weighting},
                               {"last_download", timeText(c.lastDownload)},
                               {"covered", covered},
                               {"gaps", gaps},
                               {"days", days}};
        io.out << QJsonDocument(root).toJson(QJsonDocument::Indented);
        return 0;
    }
    const bool csv = format == QLatin1String("csv");
    const QString sep = csv ? QStringLiteral(";") : QStringLiteral(" ");
    if (csv)
        io.out << "kind;start;end;cover;loudest\n";
    else
        io.out << "device " << device->serial << " limit " << c.limitDb << " dB (" << c.weighting
               << ") last download " << timeText(c.lastDownload) << '\n';
    for (const TimeSpan& s : c.covered)
        io.out << "covered" << sep << timeText(s.from) << sep << timeText(s.to) << (csv ? ";;\n" : "\n");
    for (const TimeSpan& s : c.gaps)
        io.out << "gap" << sep << timeText(s.from) << sep << timeText(s.to) << (csv ? ";;\n" : "\n");
    for (const DayStatus& d : c.days)
        io.out << "day" << sep << dayText(d.day) << sep << (csv ? sep : QString()) << coverName(d.cover)
               << sep << (d.highestLevel ? QString::number(*d.highestLevel) : QStringLiteral("-")) << '\n';
    return 0;
}

int runExtract(const QStringList& args, CliStreams& io) {
    Parsed parsed;
    if (!parse(args,
               {QStringLiteral("archive"), QStringLiteral("serial"), QStringLiteral("from"),
                QStringLiteral("to"), QStringLiteral("out"), QStringLiteral("download")},
               parsed, io, "archive extract") ||
        !parsed.positional.isEmpty())
        return kUsageError;
    const QString out = parsed.options.value(QStringLiteral("out"));
    const bool byDownload = parsed.options.contains(QStringLiteral("download"));
    const QDate from = parseDay(parsed.options.value(QStringLiteral("from")));
    const QDate to = parseDay(parsed.options.value(QStringLiteral("to")));
    if (out.isEmpty() || (!byDownload && (!from.isValid() || !to.isValid()))) {
        io.err << "vorl-cli archive extract: --serial S --from D --to D --out FILE.qlv, or --download ID "
                  "--out FILE\n";
        return kUsageError;
    }
    int status = 0;
    auto archive = openArchive(parsed, io, status);
    if (!archive) return status;
    if (byDownload) {
        const auto bytes =
            archive->originalBytes(parsed.options.value(QStringLiteral("download")).toLongLong());
        if (!bytes) return failure(io, bytes.error());
        QFile file(out);
        if (!file.open(QIODevice::WriteOnly) || file.write(*bytes) != bytes->size())
            return failure(
                io, QStringLiteral("Impossible d'écrire le fichier %1 : %2").arg(out, file.errorString()));
        io.out << out << '\n';
        return 0;
    }
    const auto device = deviceOf(*archive, parsed, io, status);
    if (!device) return status;
    QString error;
    if (!ExtractPeriodToFile(*archive, device->id, from, to, out, &error)) return failure(io, error);
    io.out << out << '\n';
    return 0;
}

int runVerify(const QStringList& args, CliStreams& io) {
    Parsed parsed;
    if (!parse(args, {QStringLiteral("archive")}, parsed, io, "archive verify") ||
        !parsed.positional.isEmpty())
        return kUsageError;
    int status = 0;
    auto archive = openArchive(parsed, io, status);
    if (!archive) return status;
    const VerifyReport report = archive->verify();
    for (const QString& problem : report.problems)
        io.out << "problem: " << problem << '\n';
    for (const QString& note : report.notes)
        io.out << "note: " << note << '\n';
    if (!report.ok())
        return failure(io, QStringLiteral("L'archive présente %1 problème(s).").arg(report.problems.size()));
    io.out << "OK\n";
    return 0;
}

int runVenue(const QStringList& args, CliStreams& io) {
    Parsed parsed;
    if (!parse(args, {QStringLiteral("archive"), QStringLiteral("serial"), QStringLiteral("name")}, parsed,
               io, "archive venue") ||
        !parsed.positional.isEmpty() || !parsed.options.contains(QStringLiteral("name")))
        return kUsageError;
    int status = 0;
    auto archive = openArchive(parsed, io, status);
    if (!archive) return status;
    const auto device = deviceOf(*archive, parsed, io, status);
    if (!device) return status;
    if (!archive->setVenue(device->id, parsed.options.value(QStringLiteral("name"))))
        return failure(io, archive->lastError());
    return 0;
}

int runArchive(const QStringList& args, CliStreams& io) {
    static const QMap<QString, int (*)(const QStringList&, CliStreams&)> subcommands = {
        {QStringLiteral("import"), runImport},     {QStringLiteral("list"), runList},
        {QStringLiteral("coverage"), runCoverage}, {QStringLiteral("extract"), runExtract},
        {QStringLiteral("verify"), runVerify},     {QStringLiteral("venue"), runVenue},
    };
    if (args.isEmpty() || !subcommands.contains(args.first())) {
        io.err << "vorl-cli archive: import|list|coverage|extract|verify|venue (see vorl-cli --help)\n";
        return kUsageError;
    }
    return subcommands.value(args.first())(args.mid(1), io);
}

} // namespace

std::unique_ptr<Archive> OpenArchiveForCli(const QString& locationText, QTextStream& messages, int& status) {
    ArchiveLocation location;
    QString error;
    if (!ResolveArchiveLocation(locationText, location, &error)) {
        status = failure(messages, error);
        return nullptr;
    }
    if (location.isOff()) {
        status = failure(messages, QStringLiteral("L'archivage est désactivé (VORL_ARCHIVE=off)."));
        return nullptr;
    }
    auto archive = Archive::open(location, &error);
    if (!archive) status = failure(messages, error);
    return archive;
}

std::optional<ArchivedDevice> ArchivedDeviceForCli(Archive& archive, const QString& serial,
                                                   QTextStream& messages, int& status) {
    const auto found = archive.findDevice(serial);
    if (!found) {
        status = failure(messages, found.error());
        return std::nullopt;
    }
    const std::optional<ArchivedDevice>& device = *found;
    if (!device)
        status = failure(messages,
                         QStringLiteral("Aucun appareil de numéro de série %1 dans l'archive.").arg(serial));
    return device;
}

int runGenerateHistory(const QStringList& args, CliStreams& io) {
    Parsed parsed;
    if (!parse(args,
               {QStringLiteral("history"), QStringLiteral("weeks"), QStringLiteral("seed"),
                QStringLiteral("start")},
               parsed, io, "generate") ||
        !parsed.positional.isEmpty())
        return kUsageError;
    HistoryOptions options;
    bool ok = true;
    if (parsed.options.contains(QStringLiteral("weeks")))
        options.weeks = parsed.options.value("weeks").toInt(&ok);
    if (ok && parsed.options.contains(QStringLiteral("seed")))
        options.seed = parsed.options.value("seed").toUInt(&ok);
    if (parsed.options.contains(QStringLiteral("start")))
        options.start = parseDay(parsed.options.value("start"));
    options.missedWeek = options.weeks >= 3 ? (options.weeks + 1) / 2 : 0; // a week lost in the middle
    const QString problem =
        ok ? CheckHistoryOptions(options) : QStringLiteral("--weeks and --seed take numbers");
    if (!problem.isEmpty()) {
        io.err << "vorl-cli generate: " << problem << '\n';
        return kUsageError;
    }
    io.err << "generating " << options.weeks << " weekly downloads\n";
    QString error;
    const QStringList paths =
        WriteHistoryFiles(options, parsed.options.value(QStringLiteral("history")), &error);
    if (paths.isEmpty()) {
        io.err << "vorl-cli generate: " << error << '\n';
        return 1;
    }
    for (const QString& path : paths)
        io.out << path << '\n';
    return 0;
}

std::vector<CliCommand> archiveCliCommands() {
    return {
        {QStringLiteral("archive"),
         QStringLiteral(
             "import FILE... | list | coverage --serial S [--from D --to D] [--format text|csv|json] | "
             "extract --serial S --from D --to D --out FILE.qlv | extract --download ID --out FILE | "
             "verify | venue --serial S --name TEXT   [--archive LOCATION]"),
         QStringLiteral("the archive of every download: import save files, list, coverage, extract a period, "
                        "verify (LOCATION: a file, postgresql://user@host[:port]/db or off; default "
                        "VORL_ARCHIVE, else ~/.local/share/vorl-analyser/archive.sqlite)"),
         runArchive}};
}
