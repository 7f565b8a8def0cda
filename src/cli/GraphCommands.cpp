#include "cli/GraphCommands.h"
#include "cli/ConsoleShell.h"

#include "cli/CliOptions.h"
#include "cli/ConsoleUiServices.h"
#include "core/files/SaveFile.h"
#include "core/graphs/GraphPeriod.h"
#include "core/graphs/ThresholdTemplate.h"
#include "core/store/Labels.h"

namespace {
QString stepLine(const TemplateStep& step) {
    return TwoDigits(step.day) + QLatin1Char('/') + TwoDigits(step.month) + QLatin1Char('/') +
           QString::number(2000 + step.year) + QLatin1Char(' ') + TwoDigits(step.hour) + QLatin1Char(':') +
           TwoDigits(step.minute) + QLatin1Char(' ') + QString::number(step.before) + QLatin1Char(' ') +
           QString::number(step.after);
}

int runTemplate(const QStringList& args, CliStreams& io) {
    if (args.isEmpty() || args.first().startsWith(QLatin1String("--"))) {
        io.err << "vorl-cli template: a save file is needed\n";
        return 2;
    }
    const auto request = parseTemplateRequest(args.mid(1), io.err);
    if (!request) return 2;
    DataStore store;
    ConsoleUiServices ui(io.out);
    ConsoleShell shell;
    io.err << "reading " << args.first() << '\n';
    if (!LoadSaveFile(store, args.first(), ui, shell)) {
        if (ui.messageCount() == 0) io.err << "vorl-cli template: cannot read " << args.first() << '\n';
        return 1;
    }
    return printThresholdTemplate(store, *request, io);
}
} // namespace

const std::vector<OptionRule>& templateOptions() {
    static const std::vector<OptionRule> options =
        ValueOptions({QStringLiteral("start"), QStringLiteral("days"), QStringLiteral("thresholds")});
    return options;
}

std::optional<TemplateRequest> parseTemplateRequest(const QStringList& args, QTextStream& err,
                                                    const QString& command) {
    const auto parsed = ParseCliArgs(args, templateOptions(), command, err);
    if (!parsed || !CliNoArguments(*parsed, command, err)) return std::nullopt;
    return templateRequestOf(*parsed, err, command);
}

std::optional<TemplateRequest> templateRequestOf(const CliArgs& args, QTextStream& err,
                                                 const QString& command) {
    const QString prefix = QStringLiteral("vorl-cli %1: ").arg(command);
    TemplateRequest request;
    if (!args.has("start")) {
        err << prefix << "--start " << CliDayForms() << " is needed\n";
        return std::nullopt;
    }
    if (!CliDayOption(args, "start", request.start, command, err)) return std::nullopt;
    if (args.has("days")) {
        request.days = args.value("days").toInt();
        if (request.days != 1 && request.days != 3 && request.days != 7) {
            err << prefix << "--days is 1, 3 or 7\n";
            return std::nullopt;
        }
    }
    if (args.has("thresholds")) {
        const QStringList parts = args.value("thresholds").split(QLatin1Char(','));
        if (parts.size() != 4) {
            err << prefix << "--thresholds wants DAY,NIGHT,JN,NJ\n";
            return std::nullopt;
        }
        request.thresholds = std::array<QString, 4>{parts[0], parts[1], parts[2], parts[3]};
    }
    return request;
}

int printThresholdTemplate(DataStore& store, const TemplateRequest& request, CliStreams& io) {
    ConsoleUiServices ui(io.out);
    const bool generation3 = store.Device_Version == 3;
    if (generation3 && !request.thresholds) {
        io.err << "vorl-cli template: firmware 3.2 data needs --thresholds DAY,NIGHT,JN,NJ\n";
        return 2;
    }
    GraphDialogInput input;
    input.startDate = request.start;
    input.oneDay = request.days == 1;
    input.threeDays = request.days == 3;
    input.sevenDays = request.days == 7;
    if (request.thresholds) {
        input.dayLevel = (*request.thresholds)[0];
        input.nightLevel = (*request.thresholds)[1];
        input.dayNightHour = (*request.thresholds)[2];
        input.nightDayHour = (*request.thresholds)[3];
    }
    if (!AcceptGraphDialog(store, input, generation3, ui)) return 1;

    store.Template_Drawn = kFalse;
    BuildThresholdTemplate(store, ui);
    if (store.Template_Drawn != kTrue) {
        io.err << "vorl-cli template: no template for this data\n";
        return 1;
    }
    for (const TemplateStep& step : store.Template_Steps)
        io.out << stepLine(step) << '\n';
    return 0;
}

std::vector<CliCommand> graphCommands() {
    return {
        {QStringLiteral("template"),
         QStringLiteral("FILE --start DD/MM/YYYY [--days 1|3|7] [--thresholds DAY,NIGHT,JN,NJ]"),
         QStringLiteral("threshold template of a graph window (thresholds needed for firmware 3.2 data)"),
         runTemplate},
    };
}
