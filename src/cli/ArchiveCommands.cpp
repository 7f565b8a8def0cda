#include "cli/ArchiveCommands.h"

#include "cli/ArchiveCliSupport.h"
#include "cli/CliOptions.h"
#include "cli/CliOutput.h"
#include "cli/TerminalText.h"
#include "core/archive/Archive.h"
#include "core/archive/ArchiveExtract.h"
#include "core/archive/ArchiveNightVerdicts.h"
#include "core/files/OutputTarget.h"
#include "core/store/Labels.h"
#include "sim/History.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <map>

namespace {

using namespace ArchiveCli;

const QString kTransferBeforeRecords =
    QStringLiteral("l'heure du transfert (horloge du PC) précède le dernier enregistrement (horloge de "
                   "l'appareil) : la couverture s'arrête à ce dernier enregistrement.");

// A file named on the command line as the user typed it, escaped for the terminal.
QString shownFile(const QString& path) {
    return TerminalText(OriginalFileName(path));
}

// The source name kept for a file whose name is not UTF-8: its escaped text.
QString sourceNameOf(const QString& path) {
    const QString original = OriginalFileName(path);
    return HasRawBytes(original) ? TerminalText(QDir::current().absoluteFilePath(original)) : QString();
}

QString timeText(const QDateTime& t) {
    return t.isValid() ? t.toString(QStringLiteral("dd/MM/yyyy hh:mm")) : QStringLiteral("none");
}
// A span is printed by its first and last minute, as list prints a download's (the last is the
// transfer's minute): the span itself ends at the start of the minute after.
QString spanEndText(const TimeSpan& span) {
    return timeText(span.to.addSecs(-60));
}

QString countsText(const RecordCounts& c) {
    return QStringLiteral("leq=%1 leq1=%2 leq10=%3 events=%4 param-changes=%5")
        .arg(c.leq)
        .arg(c.leq1)
        .arg(c.leq10)
        .arg(c.events)
        .arg(c.paramChanges);
}

int runImport(const QStringList& args, CliStreams& io) {
    Parsed parsed;
    if (!parse(args, {QStringLiteral("archive")}, parsed, io, "archive import")) return kUsageError;
    if (parsed.positional.isEmpty()) {
        io.err << "vorl-cli archive import: give one or more save files\n";
        return kUsageError;
    }
    int status = 0;
    auto archive = openArchive(parsed, io, status, ArchiveOpenMode::CreateIfMissing);
    if (!archive) return status;
    for (const QString& file : parsed.positional) {
        const QString shown = shownFile(file);
        io.err << "importing " << shown << '\n';
        io.err.flush();
        // A server that went away since the last file gets one new session for this one.
        const ArchiveStatus connected = archive->ensureConnected();
        const ImportResult r = connected ? ImportSaveFile(*archive, file, sourceNameOf(file))
                                         : ImportResult::failure(connected.error());
        if (!r) {
            status = failure(io, OriginalFileName(file) + QStringLiteral(" : ") + r.error());
        } else if (r->status == ImportStatus::Imported) {
            io.out << shown << ": download " << r->downloadId << " of " << TerminalText(r->serial) << ", new "
                   << countsText(r->added) << ", duplicates " << countsText(r->duplicates) << '\n';
            if (r->transferBeforeRecords) io.out << file << ": note: " << kTransferBeforeRecords << '\n';
        } else {
            io.out << shown << ": already archived (download " << r->downloadId << ")\n";
        }
        // Each result is out as soon as its download is committed: a run cut short has said what it did.
        io.out.flush();
    }
    return status;
}

int runList(const QStringList& args, CliStreams& io) {
    Parsed parsed;
    if (!parse(args, {QStringLiteral("archive")}, parsed, io, "archive list", true)) return kUsageError;
    int status = 0;
    auto archive = openArchive(parsed, io, status);
    if (!archive) return status;
    const auto devices = archive->devices();
    if (!devices) return failure(io, devices.error());
    io.out << "archive: " << TerminalText(archive->location().displayText()) << '\n';
    for (const ArchivedDevice& d : *devices) {
        io.out << "device " << TerminalText(d.serial) << " generation " << d.generation << " id " << d.id
               << " venue \"" << TerminalText(d.venue) << "\" first " << timeText(d.firstRecord) << " last "
               << timeText(d.lastRecord) << " downloads " << d.downloads << '\n';
        const auto downloads = archive->downloads(d.id);
        if (!downloads) return failure(io, downloads.error());
        for (const ArchivedDownload& w : *downloads)
            io.out << "  download " << w.id << ' '
                   << (w.sourceKind == SourceKind::Transfer ? "transfer" : "file") << " \""
                   << TerminalText(w.sourceName) << "\" imported "
                   << w.importedAt.toUTC().toString(Qt::ISODate) << " transfer "
                   << TerminalText(w.transferDate) << ' ' << TerminalText(w.transferTime) << " covers "
                   << timeText(w.coverFrom) << " - " << timeText(w.coverTo) << ' ' << countsText(w.counts)
                   << " sha256 " << (w.originalSha256.isEmpty() ? QStringLiteral("-") : w.originalSha256)
                   << " content-sha256 " << w.sha256
                   << (w.transferBeforeRecords ? " transfer-before-records" : "") << '\n';
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
               {QStringLiteral("archive"), QStringLiteral("serial"), QStringLiteral("device"),
                QStringLiteral("from"), QStringLiteral("to"), QStringLiteral("format")},
               parsed, io, "archive coverage", true))
        return kUsageError;
    const QString format = parsed.options.value(QStringLiteral("format"), QStringLiteral("text"));
    QDate from, to;
    if (!CliDayOption(parsed, "from", from, QStringLiteral("archive coverage"), io.err) ||
        !CliDayOption(parsed, "to", to, QStringLiteral("archive coverage"), io.err))
        return kUsageError;
    if (!QStringList{QStringLiteral("text"), QStringLiteral("csv"), QStringLiteral("json")}.contains(
            format)) {
        io.err << "vorl-cli archive coverage: --format text|csv|json\n";
        return kUsageError;
    }
    int status = 0;
    std::optional<ArchivedDevice> device;
    const auto archive = openArchiveAndDevice(parsed, io, status, device);
    if (!archive) return status;
    const auto coverage = archive->coverage(device->id, from, to);
    if (!coverage) return failure(io, coverage.error());
    const Coverage& c = *coverage;
    // The verdict of each day's night against the legal preset of its weighting, as the calendar shows it.
    std::map<QDate, JudgedNight> nights;
    if (!c.days.empty()) {
        const auto judged =
            ArchivedNightVerdicts(*archive, device->id, c.days.front().day, c.days.back().day);
        if (!judged) return failure(io, judged.error());
        for (const JudgedNight& night : *judged)
            if (night.preset) nights[night.day] = night;
    }
    const auto verdictOf = [&](const QDate& day) {
        const auto it = nights.find(day);
        return it == nights.end() ? QString() : VerdictCode(it->second.verdict);
    };

    if (format == QLatin1String("json")) {
        QJsonArray covered, gaps, days;
        for (const TimeSpan& s : c.covered)
            covered.append(QJsonObject{{"from", timeText(s.from)}, {"to", spanEndText(s)}});
        for (const TimeSpan& s : c.gaps)
            gaps.append(QJsonObject{{"from", timeText(s.from)}, {"to", spanEndText(s)}});
        for (const DayStatus& d : c.days) {
            QJsonObject day{{"day", dayText(d.day)}, {"cover", QLatin1String(coverName(d.cover))}};
            if (d.highestLevel) day.insert(QStringLiteral("loudest"), *d.highestLevel);
            if (const auto night = nights.find(d.day); night != nights.end()) {
                day.insert(QStringLiteral("preset"), night->second.preset->key);
                day.insert(QStringLiteral("verdict"), VerdictCode(night->second.verdict));
            }
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
        io.out << "kind;start;end;cover;loudest;verdict\n";
    else
        io.out << "device " << TerminalText(device->serial) << " limit " << c.limitDb << " dB ("
               << c.weighting << ") last download " << timeText(c.lastDownload) << '\n';
    for (const TimeSpan& s : c.covered)
        io.out << "covered" << sep << timeText(s.from) << sep << spanEndText(s) << (csv ? ";;;\n" : "\n");
    for (const TimeSpan& s : c.gaps)
        io.out << "gap" << sep << timeText(s.from) << sep << spanEndText(s) << (csv ? ";;;\n" : "\n");
    for (const DayStatus& d : c.days) {
        const QString verdict = verdictOf(d.day);
        io.out << "day" << sep << dayText(d.day) << sep << (csv ? sep : QString()) << coverName(d.cover)
               << sep << (d.highestLevel ? QString::number(*d.highestLevel) : QStringLiteral("-")) << sep
               << (verdict.isEmpty() && !csv ? QStringLiteral("-") : verdict) << '\n';
    }
    return 0;
}

int runExtract(const QStringList& args, CliStreams& io) {
    Parsed parsed;
    if (!parse(args,
               {QStringLiteral("archive"), QStringLiteral("serial"), QStringLiteral("device"),
                QStringLiteral("from"), QStringLiteral("to"), QStringLiteral("out"),
                QStringLiteral("download")},
               parsed, io, "archive extract", true))
        return kUsageError;
    const QString out = parsed.options.value(QStringLiteral("out"));
    const bool byDownload = parsed.options.contains(QStringLiteral("download"));
    QDate from, to;
    if (!CliDayOption(parsed, "from", from, QStringLiteral("archive extract"), io.err) ||
        !CliDayOption(parsed, "to", to, QStringLiteral("archive extract"), io.err))
        return kUsageError;
    bool numbered = false;
    const qint64 download = parsed.options.value(QStringLiteral("download")).toLongLong(&numbered);
    if (byDownload && (!numbered || download <= 0)) {
        io.err
            << "vorl-cli archive extract: --download takes the number of a download (vorl-cli archive list "
               "gives them), not '"
            << TerminalText(parsed.options.value(QStringLiteral("download"))) << "'\n";
        return kUsageError;
    }
    if (out.isEmpty() || (!byDownload && (!from.isValid() || !to.isValid()))) {
        io.err << "vorl-cli archive extract: --serial S|--device ID --from D --to D --out FILE.qlv, or "
                  "--download ID --out FILE\n";
        return kUsageError;
    }
    // "-" is standard output; a device, pipe or folder is refused before any work.
    if (!checkOutputTarget(QStringLiteral("archive"), out, StandardOutput::Allowed, io)) return kUsageError;
    int status = 0;
    auto archive = openArchive(parsed, io, status);
    if (!archive) return status;
    QByteArray bytes;
    if (byDownload) {
        const auto original = archive->originalBytes(download);
        if (!original) return failure(io, original.error());
        bytes = *original;
    } else {
        const auto device = deviceOf(*archive, parsed, io, status);
        if (!device) return status;
        auto period = ExtractPeriodBytes(*archive, device->id, from, to);
        if (!period) return failure(io, period.error());
        bytes = std::move(period).value();
    }
    if (isStandardOutputName(out)) return writeBytes(QStringLiteral("archive"), out, bytes, io);
    if (writeBytes(QStringLiteral("archive"), out, bytes, io) != 0) return 1;
    io.out << shownFile(out) << '\n';
    return 0;
}

int runVerify(const QStringList& args, CliStreams& io) {
    Parsed parsed;
    if (!parse(args, {QStringLiteral("archive")}, parsed, io, "archive verify", true)) return kUsageError;
    int status = 0;
    auto archive = openArchive(parsed, io, status);
    if (!archive) return status;
    const VerifyReport report = archive->verify();
    for (const QString& problem : report.problems)
        io.out << "problem: " << TerminalText(problem) << '\n';
    for (const QString& note : report.notes)
        io.out << "note: " << TerminalText(note) << '\n';
    if (!report.ok())
        return failure(io, QStringLiteral("L'archive présente %1 problème(s).").arg(report.problems.size()));
    io.out << "OK\n";
    return 0;
}

// Removes a device archived by mistake (the demonstration device, a device of someone else) with all
// its downloads. The user types its serial to confirm, or gives it with --confirm.
int runRemove(const QStringList& args, CliStreams& io) {
    Parsed parsed;
    if (!parse(args, {QStringLiteral("archive"), QStringLiteral("device"), QStringLiteral("confirm")}, parsed,
               io, "archive remove", true) ||
        !parsed.options.contains(QStringLiteral("device"))) {
        io.err << "vorl-cli archive remove: --device ID [--confirm SERIAL]\n";
        return kUsageError;
    }
    int status = 0;
    std::optional<ArchivedDevice> device;
    const auto archive = openArchiveAndDevice(parsed, io, status, device);
    if (!archive) return status;
    QString typed = parsed.options.value(QStringLiteral("confirm"));
    if (!parsed.options.contains(QStringLiteral("confirm"))) {
        io.out << QStringLiteral(
                      "Retirer de l'archive l'appareil %1 (génération %2, %3 téléchargement(s)) et "
                      "tout ce qui en est archivé ? Tapez son numéro de série pour confirmer : ")
                      .arg(device->serial)
                      .arg(device->generation)
                      .arg(device->downloads)
               << Qt::flush;
        QTextStream input(stdin);
        typed = input.readLine();
    }
    if (typed.trimmed() != device->serial)
        return failure(
            io, QStringLiteral("Le numéro de série tapé n'est pas celui de l'appareil %1 : rien n'a été "
                               "retiré de l'archive.")
                    .arg(device->id));
    if (const ArchiveStatus removed = archive->removeDevice(device->id); !removed)
        return failure(io, removed.error());
    io.out << "removed device " << device->id << " (" << device->serial << ")\n";
    return 0;
}

int runArchive(const QStringList& args, CliStreams& io) {
    static const QMap<QString, int (*)(const QStringList&, CliStreams&)> subcommands = {
        {QStringLiteral("import"), runImport},     {QStringLiteral("list"), runList},
        {QStringLiteral("coverage"), runCoverage}, {QStringLiteral("extract"), runExtract},
        {QStringLiteral("verify"), runVerify},     {QStringLiteral("venue"), RunArchiveVenue},
        {QStringLiteral("remove"), runRemove},
    };
    if (args.isEmpty() || !subcommands.contains(args.first())) {
        io.err
            << "vorl-cli archive: import|list|coverage|extract|verify|venue|remove (see vorl-cli --help)\n";
        return kUsageError;
    }
    return subcommands.value(args.first())(args.mid(1), io);
}

} // namespace

std::unique_ptr<Archive> OpenArchiveForCli(const QString& locationText, QTextStream& messages, int& status,
                                           ArchiveOpenMode mode) {
    const auto location = ResolveArchiveLocation(locationText);
    if (!location) {
        status = failure(messages, location.error());
        return nullptr;
    }
    if (location->isOff()) {
        status = failure(messages, QStringLiteral("Archive désactivée : l'archivage est éteint (« off »)."));
        return nullptr;
    }
    auto archive = Archive::open(*location, mode);
    if (!archive) {
        status = failure(messages, archive.error());
        return nullptr;
    }
    return std::move(archive).value();
}

ArchiveResult<ArchivedDevice> FindArchivedDevice(Archive& archive, const QMap<QString, QString>& options) {
    const auto listed = archive.devices();
    if (!listed) return ArchiveResult<ArchivedDevice>::failure(listed.error());
    const std::vector<ArchivedDevice>& devices = *listed;
    if (options.contains(QStringLiteral("device"))) {
        const QString text = options.value(QStringLiteral("device"));
        bool number = false;
        const qint64 id = text.toLongLong(&number);
        for (const ArchivedDevice& d : devices)
            if (number && d.id == id) return d;
        return ArchiveResult<ArchivedDevice>::failure(
            QStringLiteral(
                "Aucun appareil %1 dans l'archive (vorl-cli archive list donne le numéro de chaque "
                "appareil).")
                .arg(text));
    }
    const QString serial = options.value(QStringLiteral("serial")).trimmed();
    std::vector<ArchivedDevice> alike;
    for (const ArchivedDevice& d : devices)
        if (d.serial == serial) alike.push_back(d);
    if (alike.empty())
        return ArchiveResult<ArchivedDevice>::failure(
            QStringLiteral("Aucun appareil de numéro de série %1 dans l'archive.").arg(serial));
    if (alike.size() > 1) {
        QStringList candidates;
        for (const ArchivedDevice& d : alike)
            candidates << QStringLiteral("--device %1 (génération %2%3)")
                              .arg(d.id)
                              .arg(d.generation)
                              .arg(d.venue.isEmpty() ? QString() : QStringLiteral(", ") + d.venue);
        return ArchiveResult<ArchivedDevice>::failure(
            QStringLiteral(
                "Plusieurs appareils de l'archive portent le numéro de série %1 : choisissez-en un, %2.")
                .arg(serial, candidates.join(QStringLiteral(" ou "))));
    }
    return alike.front();
}

std::optional<ArchivedDevice> ArchivedDeviceForCli(Archive& archive, const QMap<QString, QString>& options,
                                                   QTextStream& messages, int& status) {
    ArchiveResult<ArchivedDevice> device = FindArchivedDevice(archive, options);
    if (!device) {
        status = failure(messages, device.error());
        return std::nullopt;
    }
    return std::move(device).value();
}

int runGenerateHistory(const QStringList& args, CliStreams& io) {
    Parsed parsed;
    if (!parse(args,
               {QStringLiteral("history"), QStringLiteral("weeks"), QStringLiteral("seed"),
                QStringLiteral("start")},
               parsed, io, "generate", true))
        return kUsageError;
    HistoryOptions options;
    bool ok = true;
    if (parsed.options.contains(QStringLiteral("weeks")))
        options.weeks = parsed.options.value("weeks").toInt(&ok);
    if (ok && parsed.options.contains(QStringLiteral("seed")))
        options.seed = parsed.options.value("seed").toUInt(&ok);
    QDate start;
    if (!CliDayOption(parsed, "start", start, QStringLiteral("generate"), io.err)) return kUsageError;
    if (start.isValid()) options.start = start;
    options.missedWeek = options.weeks >= 3 ? (options.weeks + 1) / 2 : 0; // a week lost in the middle
    const QString problem =
        ok ? CheckHistoryOptions(options) : QStringLiteral("--weeks and --seed take numbers");
    if (!problem.isEmpty()) {
        io.err << "vorl-cli generate: " << problem << '\n';
        return kUsageError;
    }
    // One file a week, but for the week whose reading was missed.
    const int files = options.weeks - (options.missedWeek > 0 ? 1 : 0);
    io.err << "writing " << files << " weekly downloads over " << options.weeks << " weeks";
    if (options.missedWeek > 0)
        io.err << " (week " << options.missedWeek
               << " has none: its reading was missed and the memory erased at a service visit that "
                  "morning, so the archive has a gap there)";
    io.err << '\n';
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
             "import FILE... | list | coverage --serial S|--device ID [--from D --to D] [--format "
             "text|csv|json] | extract --serial S|--device ID --from D --to D --out FILE.qlv | extract "
             "--download ID --out FILE | verify | venue --serial S|--device ID --name TEXT | venue add NAME "
             "| venue "
             "attach --venue ID --device ID [--from D] [--to D] | venue list | remove --device "
             "ID "
             "[--confirm SERIAL]   [--archive LOCATION]"),
         QStringLiteral("the archive of every download: import save files, list, coverage, extract a period, "
                        "verify, venues and the days their devices were there, remove a device archived by "
                        "mistake (LOCATION: a file, "
                        "postgresql://user@host[:port]/db or off; default "
                        "VORL_ARCHIVE, else ~/.local/share/vorl-analyser/archive.sqlite)"),
         runArchive}};
}
