#include "cli/ComplianceCommands.h"

#include "cli/ConsoleShell.h"
#include "cli/ConsoleUiServices.h"
#include "core/archive/ArchiveCompliance.h"
#include "core/compliance/ComplianceReport.h"
#include "core/files/SaveFile.h"
#include "core/store/Labels.h"
#include "core/tables/PeriodDialog.h"
#include "paint/ComplianceReportPdf.h"

#include <QFile>
#include <QMap>
#include <memory>

namespace {
constexpr int kUsageError = 2;
const QString kUsage = QStringLiteral("FILE | --serial S [--archive LOCATION]  --from DD/MM/YYYY --to "
                                      "DD/MM/YYYY [--preset NAME | --limit DB --duration MIN] "
                                      "[--format text|csv|json|pdf] [--out FILE]");

struct Request {
    QString file;
    QMap<QString, QString> options;
};

std::optional<Request> parse(const QStringList& args, CliStreams& io) {
    static const QStringList known = {"from",   "to",  "preset", "limit",  "duration",
                                      "format", "out", "serial", "archive"};
    Request request;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (!arg.startsWith(QStringLiteral("--"))) {
            if (!request.file.isEmpty()) return std::nullopt;
            request.file = arg;
            continue;
        }
        if (!known.contains(arg.mid(2)) || i + 1 >= args.size()) {
            io.err << "vorl-cli compliance: unknown option or missing value: " << arg << '\n';
            return std::nullopt;
        }
        request.options[arg.mid(2)] = args[++i];
    }
    const bool fromArchive = request.options.contains(QStringLiteral("serial"));
    if (request.file.isEmpty() == !fromArchive ||
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
                io.err << " \"" << p.name << '"';
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
        if (!limitOk || limit < 0 || limit > 250 || !durationOk || duration < kMinComplianceDuration ||
            duration > kMaxComplianceDuration) {
            io.err << "vorl-cli compliance: --limit takes dB (0..250), --duration minutes (1..60)\n";
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

// The nights of an archived device, read from the archive at the location in force.
std::optional<ComplianceInput> archivedInput(const QMap<QString, QString>& options, const QDate& from,
                                             const QDate& to, CliStreams& io) {
    ArchiveLocation location;
    QString error;
    if (!ResolveArchiveLocation(options.value(QStringLiteral("archive")), location, &error)) {
        io.err << "vorl-cli compliance: " << error << '\n';
        return std::nullopt;
    }
    if (location.isOff()) {
        io.err << "vorl-cli compliance: the archive is off\n";
        return std::nullopt;
    }
    const auto archive = Archive::open(location, &error);
    if (!archive) {
        io.err << "vorl-cli compliance: " << error << '\n';
        return std::nullopt;
    }
    const QString serial = options.value(QStringLiteral("serial"));
    const auto found = archive->findDevice(serial);
    if (!found) {
        io.err << "vorl-cli compliance: " << found.error() << '\n';
        return std::nullopt;
    }
    const std::optional<ArchivedDevice>& device = *found;
    if (!device) {
        io.err << "vorl-cli compliance: no device " << serial << " in " << location.displayText() << '\n';
        return std::nullopt;
    }
    auto input = ComplianceInputFromArchive(*archive, device->id, from, to, &error);
    if (!input) io.err << "vorl-cli compliance: " << error << '\n';
    return input;
}

int runCompliance(const QStringList& args, CliStreams& io) {
    const auto request = parse(args, io);
    if (!request) {
        io.err << "vorl-cli compliance: usage: compliance " << kUsage << '\n';
        return kUsageError;
    }
    const QMap<QString, QString>& options = request->options;
    const QDate from = ParseDateText(options.value(QStringLiteral("from")));
    const QDate to = ParseDateText(options.value(QStringLiteral("to")));
    if (!from.isValid() || !to.isValid()) {
        io.err << "vorl-cli compliance: dates are written DD/MM/YYYY\n";
        return kUsageError;
    }
    const QString format = options.value(QStringLiteral("format"), QStringLiteral("text"));
    if (format != QStringLiteral("text") && format != QStringLiteral("csv") &&
        format != QStringLiteral("json") && format != QStringLiteral("pdf")) {
        io.err << "vorl-cli compliance: --format is text, csv, json or pdf\n";
        return kUsageError;
    }
    const bool pdf = format == QStringLiteral("pdf");
    if (pdf && !options.contains(QStringLiteral("out"))) {
        io.err << "vorl-cli compliance: --format pdf needs --out FILE\n";
        return kUsageError;
    }

    ConsoleUiServices ui(io.out);
    ComplianceInput input;
    if (request->file.isEmpty()) {
        if (!CheckPeriod(from, to, ui)) return 1;
        auto archived = archivedInput(options, from, to, io);
        if (!archived) return 1;
        input = std::move(*archived);
    } else {
        auto store = std::make_unique<DataStore>();
        ConsoleShell shell;
        if (!LoadSaveFile(*store, request->file, ui, shell)) {
            if (ui.messageCount() == 0) io.err << "vorl-cli: cannot read " << request->file << '\n';
            return 1;
        }
        if (!CheckPeriod(from, to, ui)) return 1;
        input = ComplianceInputFromStore(*store);
    }
    auto settings = settingsOf(options, input.weighting, io);
    if (!settings) return kUsageError;
    settings->keepWindows = pdf; // the plots of the pages need every window

    QByteArray output;
    if (format == QStringLiteral("csv")) output = QByteArray(kComplianceCsvHeader) + '\n';
    const auto onWindow = [&](const WindowResult& w) { output += ComplianceCsvRow(w); };
    const ComplianceReport report = BuildComplianceReport(
        input, *settings, from, to,
        format == QStringLiteral("csv") ? onWindow : std::function<void(const WindowResult&)>());
    if (format == QStringLiteral("text"))
        output = ComplianceTextLines(report).join(QLatin1Char('\n')).toUtf8() + '\n';
    else if (format == QStringLiteral("json"))
        output = ComplianceJson(report).toJson();

    const QString outPath = options.value(QStringLiteral("out"));
    if (pdf) {
        QString error;
        if (!WriteComplianceReportPdf(report, outPath, error)) {
            io.err << "vorl-cli compliance: " << error << '\n';
            return 1;
        }
    } else if (outPath.isEmpty()) {
        io.out << QString::fromUtf8(output);
    } else {
        QFile file(outPath);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(output) != output.size()) {
            io.err << "vorl-cli compliance: cannot write " << outPath << '\n';
            return 1;
        }
    }
    io.err << report.nights.size() << " night(s), " << report.episodeCount << " exceedance episode(s)\n";
    return 0;
}
} // namespace

std::vector<CliCommand> complianceCommands() {
    return {
        {QStringLiteral("compliance"), kUsage,
         QStringLiteral("the level over every sliding window of each night (noon to noon) against a legal "
                        "or free limit, with its lower and upper bounds and a verdict"),
         runCompliance}};
}
