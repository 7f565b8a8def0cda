#include "cli/ComplianceCommands.h"

#include "cli/ArchiveCommands.h"
#include "cli/CliOptions.h"
#include "cli/CliOutput.h"
#include "cli/ConsoleShell.h"
#include "cli/ConsoleUiServices.h"
#include "core/archive/ArchiveCompliance.h"
#include "core/archive/ArchiveComplianceSources.h"
#include "core/archive/ArchiveVenueCompliance.h"
#include "core/compliance/ComplianceReport.h"
#include "core/files/OutputTarget.h"
#include "core/files/SaveFile.h"
#include "core/store/Labels.h"
#include "core/tables/PeriodDialog.h"
#include "paint/ComplianceReportPdf.h"

#include <QCryptographicHash>
#include <QFile>
#include <QMap>
#include <memory>
#include <new>
#include <sys/stat.h>

namespace {
constexpr int kUsageError = 2;
const QString kUsage = QStringLiteral(
    "FILE | --serial S|--device ID|--venue ID [--archive LOCATION]  --from DD/MM/YYYY --to "
    "DD/MM/YYYY [--preset decret-a|decret-c|jeune-a|jeune-c|ancien | --limit DB --duration MIN] "
    "[--format text|csv|json|pdf] [--out FILE]");

struct Request {
    QString file;
    QMap<QString, QString> options;
};

std::optional<Request> parse(const QStringList& args, CliStreams& io) {
    static const QStringList known = {"from", "to",     "preset", "limit", "duration", "format",
                                      "out",  "serial", "device", "venue", "archive"};
    const auto parsed = ParseCliArgs(args, ValueOptions(known), QStringLiteral("compliance"), io.err);
    if (!parsed) return std::nullopt;
    Request request;
    if (parsed->positional.size() > 1) return std::nullopt;
    request.file = parsed->positional.value(0);
    request.options = parsed->options;
    // One of --serial, --device and --venue names what the archive reports on.
    const int named = int(request.options.contains(QStringLiteral("serial"))) +
                      int(request.options.contains(QStringLiteral("device"))) +
                      int(request.options.contains(QStringLiteral("venue")));
    const bool fromArchive = named > 0;
    if (request.file.isEmpty() == !fromArchive || named > 1 ||
        (!fromArchive && request.options.contains(QStringLiteral("archive"))) ||
        !request.options.contains(QStringLiteral("from")) || !request.options.contains(QStringLiteral("to")))
        return std::nullopt;
    return request;
}

// The limit the options ask for; nothing (with a message) when they do not make one. No preset and no
// limit: the legal preset of the data's weighting, if any.
std::optional<ComplianceSettings> settingsOf(const QMap<QString, QString>& options, Weighting weighting,
                                             CliStreams& io) {
    const bool hasPreset = options.contains(QStringLiteral("preset"));
    const bool hasLimit = options.contains(QStringLiteral("limit"));
    if (hasPreset && (hasLimit || options.contains(QStringLiteral("duration")))) {
        io.err << "vorl-cli compliance: give --preset or --limit/--duration, not both\n";
        return std::nullopt;
    }
    if (hasPreset) {
        const auto preset = FindCompliancePreset(options.value(QStringLiteral("preset")));
        if (!preset) {
            io.err << "vorl-cli compliance: unknown preset; the presets are:";
            for (const CompliancePreset& p : CompliancePresets())
                io.err << ' ' << p.key << " (\"" << p.name << "\")";
            io.err << '\n';
            return std::nullopt;
        }
        return SettingsForPreset(*preset);
    }
    if (hasLimit) {
        bool limitOk = false, durationOk = true;
        const double limit = options.value(QStringLiteral("limit")).toDouble(&limitOk);
        int duration = 15;
        if (options.contains(QStringLiteral("duration")))
            duration = options.value(QStringLiteral("duration")).toInt(&durationOk);
        if (!limitOk || !IsValidComplianceLimit(limit) || !durationOk || duration < kMinComplianceDuration ||
            duration > kMaxComplianceDuration) {
            io.err << "vorl-cli compliance: --limit takes dB (40..140), --duration minutes (1..60)\n";
            return std::nullopt;
        }
        return SettingsForFreeLimit(limit, duration);
    }
    if (options.contains(QStringLiteral("duration"))) {
        io.err << "vorl-cli compliance: --duration goes with --limit\n";
        return std::nullopt;
    }
    if (const auto preset = DefaultPreset(weighting)) return SettingsForPreset(*preset);
    return ComplianceSettings{};
}

// The archive at the location in force, or the one --archive names.
std::optional<ArchiveLocation> archiveLocationOf(const QMap<QString, QString>& options, CliStreams& io) {
    auto location = ResolveArchiveLocation(options.value(QStringLiteral("archive")));
    if (!location) {
        io.err << "vorl-cli compliance: " << location.error() << '\n';
        return std::nullopt;
    }
    if (location->isOff()) {
        io.err << "vorl-cli compliance: Archive désactivée : l'archivage est éteint (« off »).\n";
        return std::nullopt;
    }
    return std::move(location).value();
}

// The archive the options name, opened; nothing (with a message) when it cannot be.
std::unique_ptr<Archive> openArchive(const ArchiveLocation& location, CliStreams& io) {
    auto opened = Archive::open(location, ArchiveOpenMode::MustExist);
    if (!opened) {
        io.err << "vorl-cli compliance: " << opened.error() << '\n';
        return nullptr;
    }
    return std::move(opened).value();
}

// The nights of an archived device, and the downloads they rest on.
std::optional<ComplianceInput> deviceInput(Archive& archive, const QMap<QString, QString>& options,
                                           const QDate& from, const QDate& to,
                                           std::vector<ReportSource>& sources, CliStreams& io) {
    const ArchiveResult<ArchivedDevice> device = FindArchivedDevice(archive, options);
    if (!device) {
        io.err << "vorl-cli compliance: " << device.error() << '\n';
        return std::nullopt;
    }
    auto input = ComplianceInputFromArchive(archive, device->id, from, to);
    if (!input) {
        io.err << "vorl-cli compliance: " << input.error() << '\n';
        return std::nullopt;
    }
    auto listed = ArchivedReportSources(archive, device->id, from, to);
    if (!listed) {
        io.err << "vorl-cli compliance: " << listed.error() << '\n';
        return std::nullopt;
    }
    sources = std::move(listed).value();
    return std::move(input).value();
}

// The nights of a venue, each on the device it had that day, and the downloads they rest on.
std::optional<ComplianceInput> venueInput(Archive& archive, const QString& venue, const QDate& from,
                                          const QDate& to, std::vector<ReportSource>& sources,
                                          CliStreams& io) {
    bool number = false;
    const qint64 id = venue.toLongLong(&number);
    const auto venues = archive.venues();
    if (!venues) {
        io.err << "vorl-cli compliance: " << venues.error() << '\n';
        return std::nullopt;
    }
    if (!number ||
        std::none_of(venues->begin(), venues->end(), [id](const ArchivedVenue& v) { return v.id == id; })) {
        io.err << "vorl-cli compliance: "
               << QStringLiteral("Aucun lieu %1 dans l'archive (vorl-cli archive venue list donne le numéro "
                                 "de chaque lieu).")
                      .arg(venue)
               << '\n';
        return std::nullopt;
    }
    auto data = VenueComplianceFromArchive(archive, id, from, to);
    if (!data) {
        io.err << "vorl-cli compliance: " << data.error() << '\n';
        return std::nullopt;
    }
    if (data->stretches.empty()) {
        io.err << "vorl-cli compliance: "
               << QStringLiteral("Le lieu %1 n'avait aucun appareil du %2 au %3.")
                      .arg(id)
                      .arg(from.toString(QStringLiteral("dd/MM/yyyy")),
                           to.toString(QStringLiteral("dd/MM/yyyy")))
               << '\n';
        return std::nullopt;
    }
    if (!data->refusal.isEmpty()) {
        io.err << "vorl-cli compliance: " << data->refusal << '\n';
        return std::nullopt;
    }
    sources = std::move(data->sources);
    return std::move(data->input);
}

// The save file itself: its transfer and the SHA-256 of its bytes as they are on disk.
ReportSource fileSource(const QString& path, const DataStore& store) {
    ReportSource source;
    source.transfer = (store.Transfer_Date + QLatin1Char(' ') + store.Transfer_Time.left(5)).trimmed();
    QFile file(path);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (file.open(QIODevice::ReadOnly) && hash.addData(&file))
        source.sha256 = QString::fromLatin1(hash.result().toHex());
    source.sha256Kind = QStringLiteral("du fichier");
    return source;
}

// Whether two names lead to the same file (through links and other spellings); false when either does
// not exist.
bool sameFile(const QString& a, const QString& b) {
    struct stat sa {
    }, sb{};
    return !a.isEmpty() && !b.isEmpty() && ::stat(QFile::encodeName(a).constData(), &sa) == 0 &&
           ::stat(QFile::encodeName(b).constData(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

// Data written as it comes, to a checked file or to standard output, a chunk at a time.
class DataSink {
public:
    DataSink(const QString& path, CliStreams& io) : m_file(io, path.isEmpty() ? QStringLiteral("-") : path) {}
    bool open(QString& error) { return m_file.open(error); }
    void write(const QByteArray& bytes) {
        m_chunk += bytes;
        if (m_chunk.size() >= kChunk) flush();
    }
    bool finish(QString& error) {
        flush();
        return m_file.commit(error);
    }

private:
    static constexpr qsizetype kChunk = 1 << 16;
    void flush() {
        m_file.write(m_chunk);
        m_chunk.clear();
    }
    CliOutputFile m_file;
    QByteArray m_chunk;
};

int runCompliance(const QStringList& args, CliStreams& io) {
    const auto request = parse(args, io);
    if (!request) {
        io.err << "vorl-cli compliance: usage: compliance " << kUsage << '\n';
        return kUsageError;
    }
    const QMap<QString, QString>& options = request->options;
    QDate from, to;
    const CliArgs dates{{}, options};
    if (!CliDayOption(dates, "from", from, QStringLiteral("compliance"), io.err) ||
        !CliDayOption(dates, "to", to, QStringLiteral("compliance"), io.err))
        return kUsageError;
    const QString format = options.value(QStringLiteral("format"), QStringLiteral("text"));
    if (format != QStringLiteral("text") && format != QStringLiteral("csv") &&
        format != QStringLiteral("json") && format != QStringLiteral("pdf")) {
        io.err << "vorl-cli compliance: --format is text, csv, json or pdf\n";
        return kUsageError;
    }
    const bool pdf = format == QStringLiteral("pdf");
    const QString outPath = options.value(QStringLiteral("out"));
    if (pdf && outPath.isEmpty()) {
        io.err << "vorl-cli compliance: --format pdf needs --out FILE\n";
        return kUsageError;
    }
    if (!outPath.isEmpty() && !checkOutputTarget(QStringLiteral("compliance"), outPath,
                                                 pdf ? StandardOutput::Refused : StandardOutput::Allowed, io))
        return kUsageError;
    // The same limit of the dates for a file as for the archive, before anything is read. Message boxes
    // go to standard error when standard output carries data (CSV, JSON), as for export and stats.
    ConsoleUiServices ui(format == QStringLiteral("text") ? io.out : io.err);
    if (!CheckPeriod(from, to, ui)) return 1;
    if (const QString problem = CompliancePeriodProblem(from, to); !problem.isEmpty()) {
        io.err << "vorl-cli compliance: " << problem << '\n';
        return kUsageError;
    }

    ComplianceInput input;
    std::vector<ReportSource> sources;
    if (request->file.isEmpty()) {
        const auto location = archiveLocationOf(options, io);
        if (!location) return 1;
        if (location->engine == ArchiveEngine::Sqlite && sameFile(outPath, location->path)) {
            io.err << "vorl-cli compliance: --out names the archive itself\n";
            return kUsageError;
        }
        const std::unique_ptr<Archive> archive = openArchive(*location, io);
        if (!archive) return 1;
        auto archived =
            options.contains(QStringLiteral("venue"))
                ? venueInput(*archive, options.value(QStringLiteral("venue")), from, to, sources, io)
                : deviceInput(*archive, options, from, to, sources, io);
        if (!archived) return 1;
        input = std::move(*archived);
    } else {
        if (sameFile(outPath, request->file)) {
            io.err << "vorl-cli compliance: --out names the input file " << request->file << '\n';
            return kUsageError;
        }
        auto store = std::make_unique<DataStore>();
        ConsoleShell shell;
        if (!LoadSaveFile(*store, request->file, ui, shell)) {
            if (ui.messageCount() == 0) io.err << "vorl-cli: cannot read " << request->file << '\n';
            return 1;
        }
        input = ComplianceInputFromStore(*store);
        sources.push_back(fileSource(request->file, *store));
    }
    auto settings = settingsOf(options, input.weighting, io);
    if (!settings) return kUsageError;
    // No format keeps every window: the CSV is written as it is computed, the PDF's plots are computed
    // again one night at a time.
    settings->keepWindows = false;

    DataSink sink(pdf ? QString() : outPath, io);
    QString error;
    if (!pdf && format == QStringLiteral("csv") && !sink.open(error)) {
        io.err << "vorl-cli compliance: " << error << '\n';
        return 1;
    }
    std::function<void(const WindowResult&)> onWindow;
    if (format == QStringLiteral("csv")) {
        sink.write(QByteArray(kComplianceCsvHeader) + '\n');
        onWindow = [&sink](const WindowResult& w) { sink.write(ComplianceCsvRow(w)); };
    }
    ComplianceReport report = BuildComplianceReport(input, *settings, from, to, onWindow);
    report.sources = std::move(sources);

    if (pdf) {
        ComplianceNightBands bands(input, report.settings);
        if (!WriteComplianceReportPdf(report, outPath, error, &bands)) {
            io.err << "vorl-cli compliance: " << error << '\n';
            return 1;
        }
    } else {
        if (format == QStringLiteral("text")) {
            if (!sink.open(error)) {
                io.err << "vorl-cli compliance: " << error << '\n';
                return 1;
            }
            sink.write(ComplianceTextLines(report).join(QLatin1Char('\n')).toUtf8() + '\n');
        } else if (format == QStringLiteral("json")) {
            if (!sink.open(error)) {
                io.err << "vorl-cli compliance: " << error << '\n';
                return 1;
            }
            sink.write(ComplianceJson(report).toJson());
        }
        if (!sink.finish(error)) {
            io.err << "vorl-cli compliance: " << error << '\n';
            return 1;
        }
    }
    io.err << report.nights.size() << " night(s), " << report.episodeCount << " exceedance episode(s)\n";
    return 0;
}

// Out of memory is said, not left to end the program without a word.
int runComplianceChecked(const QStringList& args, CliStreams& io) {
    try {
        return runCompliance(args, io);
    } catch (const std::bad_alloc&) {
        io.err << "vorl-cli compliance: not enough memory for this period\n";
        return 1;
    }
}
} // namespace

std::vector<CliCommand> complianceCommands() {
    return {
        {QStringLiteral("compliance"), kUsage,
         QStringLiteral("the level over every sliding window of each night (noon to noon) against a legal "
                        "or free limit, with its lower and upper bounds and a verdict; of a save file, an "
                        "archived device, or a venue (--venue: each night on the device the venue had that "
                        "day, a night it had none unknown)"),
         runComplianceChecked}};
}
