#include "cli/StatsCommands.h"
#include "cli/ConsoleShell.h"

#include "cli/ArchiveCommands.h"
#include "cli/CliOptions.h"
#include "cli/CliOutput.h"
#include "cli/ConsoleUiServices.h"
#include "core/archive/ArchiveChunks.h"
#include "core/archive/ArchiveExport.h"
#include "core/files/SaveFile.h"
#include "core/stats/StatsReport.h"
#include "core/store/Labels.h"
#include "core/tables/FirmwareVersion.h"
#include "core/tables/PeriodDialog.h"

#include <QMap>
#include <memory>

namespace {
constexpr int kUsageError = 2;

// "--name value" options after one positional FILE, or with --serial S (or --device ID) instead of the FILE.
bool parseArgs(const QStringList& args, const QStringList& known, QString& file,
               QMap<QString, QString>& options, const QString& command, CliStreams& io) {
    const QString oneSource =
        QStringLiteral("give one save file, or --serial S or --device ID [--archive LOCATION]");
    const auto parsed =
        ParseCliArgs(args,
                     ValueOptions(known + QStringList{QStringLiteral("serial"), QStringLiteral("device"),
                                                      QStringLiteral("archive")}),
                     command, io.err);
    if (!parsed) return false;
    if (parsed->positional.size() > 1) {
        io.err << "vorl-cli " << command << ": " << oneSource << '\n';
        return false;
    }
    file = parsed->positional.value(0);
    options = parsed->options;
    const bool bySerial = options.contains(QStringLiteral("serial"));
    const bool archived = bySerial || options.contains(QStringLiteral("device"));
    if (file.isEmpty() != archived || (options.contains(QStringLiteral("archive")) && !archived) ||
        (bySerial && options.contains(QStringLiteral("device")))) {
        io.err << "vorl-cli " << command << ": " << oneSource << '\n';
        return false;
    }
    return true;
}

// Where the program's message boxes go: standard error when standard output carries data.
QTextStream& messageStream(OutputFormat format, CliStreams& io) {
    return format == OutputFormat::Text ? io.out : io.err;
}

std::unique_ptr<DataStore> loadStore(const QString& path, OutputFormat format, CliStreams& io) {
    auto store = std::make_unique<DataStore>();
    ConsoleUiServices ui(messageStream(format, io));
    ConsoleShell shell;
    if (LoadSaveFile(*store, path, ui, shell)) return store;
    if (ui.messageCount() == 0) io.err << "vorl-cli: cannot read " << path << '\n';
    return nullptr;
}

// Reads whole days of an archived device chunk by chunk; false after showing why.
bool forEachArchivedChunk(const QMap<QString, QString>& options, QDate first, QDate last,
                          QTextStream& messages, const PeriodChunkVisitor& visit) {
    int status = 0;
    const auto archive = OpenArchiveForCli(options.value(QStringLiteral("archive")), messages, status);
    if (!archive) return false;
    const auto device = ArchivedDeviceForCli(*archive, options, messages, status);
    if (!device) return false;
    // Without dates: every day the device has records for.
    if (!first.isValid()) first = device->firstRecord.date();
    if (!last.isValid()) last = device->lastRecord.date();
    if (!first.isValid() || !last.isValid() || first > last) return true;
    const ArchiveStatus read = ForEachPeriodChunk(*archive, device->id, first, last, visit);
    if (read) return true;
    messages << "Archive\n" << read.error() << '\n';
    return false;
}

std::optional<OutputFormat> formatOf(const QString& text, bool textAllowed) {
    if (text == QStringLiteral("csv")) return OutputFormat::Csv;
    if (text == QStringLiteral("json")) return OutputFormat::Json;
    if (textAllowed && text == QStringLiteral("text")) return OutputFormat::Text;
    return std::nullopt;
}

QString serialLine(const DataStore& store) {
    const QString version =
        store.Device_Version == 3 ? QStringLiteral("3.2") : FirmwareVersionText(store.Param_Block);
    return QStringLiteral("QLV 40 - FirmWare Version : ") + version +
           QStringLiteral(" - Numéro de Série : ") + SerialNumberOf(store.Param_Block);
}

int runStats(const QStringList& args, CliStreams& io) {
    const QString usage = QStringLiteral(
        "usage: stats FILE|--serial S|--device ID [--archive LOCATION] --from DD/MM/YYYY --to DD/MM/YYYY "
        "[--thresholds DAY,NIGHT,JN,NJ] [--format text|csv|json] [--out FILE]");
    QString file;
    QMap<QString, QString> options;
    if (!parseArgs(args, {"from", "to", "thresholds", "format", "out"}, file, options,
                   QStringLiteral("stats"), io) ||
        !options.contains(QStringLiteral("from")) || !options.contains(QStringLiteral("to"))) {
        io.err << "vorl-cli stats: " << usage << '\n';
        return kUsageError;
    }
    QDate from, to;
    const CliArgs dates{{}, options};
    if (!CliDayOption(dates, "from", from, QStringLiteral("stats"), io.err) ||
        !CliDayOption(dates, "to", to, QStringLiteral("stats"), io.err))
        return kUsageError;
    std::optional<TypedThresholds> thresholds;
    if (options.contains(QStringLiteral("thresholds"))) {
        thresholds = ParseThresholds(options.value(QStringLiteral("thresholds")));
        if (!thresholds) {
            io.err << "vorl-cli stats: --thresholds takes DAY,NIGHT,JN,NJ (dB, dB, hours 0..23)\n";
            return kUsageError;
        }
    }
    const auto format = formatOf(options.value(QStringLiteral("format"), QStringLiteral("text")), true);
    if (!format) {
        io.err << "vorl-cli stats: --format is text, csv or json\n";
        return kUsageError;
    }
    const QString out = options.value(QStringLiteral("out"));
    if (!out.isEmpty() && !checkOutputTarget(QStringLiteral("stats"), out, StandardOutput::Allowed, io))
        return kUsageError;
    if (file.isEmpty()) {
        ConsoleUiServices ui(messageStream(*format, io));
        if (!CheckPeriod(from, to, ui)) return 1;
        // A statistics day runs to noon of the next calendar day.
        PeriodStatsBuilder builder(from, to, thresholds);
        QString serial;
        const bool read = forEachArchivedChunk(
            options, from, to.addDays(1), messageStream(*format, io),
            [&](const DataStore& chunk, const QDate& chunkFirst, const QDate& chunkLast) {
                builder.add(chunk, chunkFirst, chunkLast);
                serial = serialLine(chunk);
            });
        if (!read) return 1;
        return writeStats(builder.finish(), serial, *format, out, io);
    }
    const auto store = loadStore(file, *format, io);
    if (!store) return 1;
    return printStats(*store, from, to, thresholds, *format, out, io);
}

int runExport(const QStringList& args, CliStreams& io) {
    const QString usage = QStringLiteral(
        "usage: export FILE|--serial S|--device ID [--archive LOCATION] --what levels|events|params "
        "[--from DD/MM/YYYY --to DD/MM/YYYY] --format csv|json [--out FILE]");
    QString file;
    QMap<QString, QString> options;
    if (!parseArgs(args, {"what", "from", "to", "format", "out"}, file, options, QStringLiteral("export"),
                   io) ||
        !options.contains(QStringLiteral("what")) || !options.contains(QStringLiteral("format"))) {
        io.err << "vorl-cli export: " << usage << '\n';
        return kUsageError;
    }
    static const QMap<QString, ExportWhat> whats = {{QStringLiteral("levels"), ExportWhat::Levels},
                                                    {QStringLiteral("events"), ExportWhat::Events},
                                                    {QStringLiteral("params"), ExportWhat::Parameters}};
    const QString what = options.value(QStringLiteral("what"));
    const auto format = formatOf(options.value(QStringLiteral("format")), false);
    if (!whats.contains(what) || !format) {
        io.err << "vorl-cli export: " << usage << '\n';
        return kUsageError;
    }
    ExportPeriod period;
    const CliArgs dates{{}, options};
    if (!CliDayOption(dates, "from", period.from, QStringLiteral("export"), io.err) ||
        !CliDayOption(dates, "to", period.to, QStringLiteral("export"), io.err))
        return kUsageError;
    const QString out = options.value(QStringLiteral("out"));
    if (!out.isEmpty() && !checkOutputTarget(QStringLiteral("export"), out, StandardOutput::Allowed, io))
        return kUsageError;
    // A start after the end is refused as the period dialog refuses it.
    ConsoleUiServices ui(io.err);
    const auto checkPeriod = [&] {
        return !period.from.isValid() || !period.to.isValid() || CheckPeriod(period.from, period.to, ui);
    };
    ExportTable table;
    if (file.isEmpty()) {
        if (!checkPeriod()) return 1;
        int status = 0;
        const auto archive = OpenArchiveForCli(options.value(QStringLiteral("archive")), io.err, status);
        if (!archive) return 1;
        const auto device = ArchivedDeviceForCli(*archive, options, io.err, status);
        if (!device) return 1;
        auto exported = ArchivedExport(*archive, device->id, whats.value(what), period.from, period.to);
        if (!exported) {
            io.err << "Archive\n" << exported.error() << '\n';
            return 1;
        }
        table = std::move(exported).value();
    } else {
        const auto store = loadStore(file, *format, io);
        if (!store) return 1;
        if (!checkPeriod()) return 1;
        table = BuildExport(*store, whats.value(what), period);
    }
    const QByteArray data = *format == OutputFormat::Csv ? ToCsv(table) : ToJson(table).toJson();
    if (const int status = writeData(QStringLiteral("export"), out, data, io)) return status;
    io.err << table.rows.size() << " row(s)\n";
    return 0;
}
} // namespace

std::optional<TypedThresholds> ParseThresholds(const QString& text) {
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 4) return std::nullopt;
    int values[4];
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        values[i] = parts[i].trimmed().toInt(&ok);
        if (!ok || values[i] < 0) return std::nullopt;
    }
    if (values[2] > 23 || values[3] > 23 || values[0] > 250 || values[1] > 250) return std::nullopt;
    return TypedThresholds{values[0], values[1], values[2], values[3]};
}

int printStats(const DataStore& store, const QDate& from, const QDate& to,
               const std::optional<TypedThresholds>& thresholds, OutputFormat format, const QString& out,
               CliStreams& io) {
    ConsoleUiServices ui(messageStream(format, io));
    if (!CheckPeriod(from, to, ui)) return 1;
    return writeStats(ComputePeriodStats(store, from, to, thresholds), serialLine(store), format, out, io);
}

int writeStats(const PeriodStats& stats, const QString& serialText, OutputFormat format, const QString& out,
               CliStreams& io) {
    QByteArray data;
    switch (format) {
    case OutputFormat::Text:
        for (const QString& line : StatsTextLines(stats, serialText))
            data += line.toUtf8() + '\n';
        break;
    case OutputFormat::Csv:
        data = ToCsv(StatsExport(stats));
        break;
    case OutputFormat::Json:
        data = StatsJson(stats).toJson();
        break;
    }
    return writeData(QStringLiteral("stats"), out, data, io);
}

std::vector<CliCommand> statsCommands() {
    return {
        {QStringLiteral("stats"),
         QStringLiteral("FILE|--serial S|--device ID [--archive LOCATION] --from DD/MM/YYYY --to DD/MM/YYYY "
                        "[--thresholds DAY,NIGHT,JN,NJ] [--format text|csv|json] [--out FILE]"),
         QStringLiteral("level statistics of a period of a save file or of an archived device (--serial: "
                        "months at a time): averages, extremes, L10/L50/L90, minutes above the threshold, "
                        "per day and night"),
         runStats},
        {QStringLiteral("export"),
         QStringLiteral("FILE|--serial S|--device ID [--archive LOCATION] --what levels|events|params "
                        "[--from DD/MM/YYYY --to DD/MM/YYYY] --format csv|json [--out FILE]"),
         QStringLiteral("the levels, events or parameters of a save file, or of any period of an archived "
                        "device (--serial, as info prints it), as CSV or JSON"),
         runExport},
    };
}
