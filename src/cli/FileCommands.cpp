#include "cli/FileCommands.h"
#include "cli/ArchiveCommands.h"
#include "cli/ConsoleShell.h"
#include "cli/FleetCommand.h"

#include "cli/CliOptions.h"
#include "cli/CliOutput.h"
#include "cli/ConsoleUiServices.h"
#include "core/files/SaveFile.h"
#include "core/store/Labels.h"
#include "core/store/Validity.h"
#include "core/tables/FirmwareVersion.h"
#include "sim/Generator.h"

#include <QMap>
#include <memory>

namespace {

constexpr int kUsageError = 2;

// "--name value" pairs; false (with the reason on standard error) for anything else.
bool parseOptions(const QStringList& args, const QStringList& known, QMap<QString, QString>& options,
                  CliStreams& io) {
    const auto parsed = ParseCliArgs(args, ValueOptions(known), QStringLiteral("generate"), io.err);
    if (!parsed || !CliNoArguments(*parsed, QStringLiteral("generate"), io.err)) return false;
    options = parsed->options;
    return true;
}

int runGenerate(const QStringList& args, CliStreams& io) {
    if (args.contains(QStringLiteral("--history"))) return runGenerateHistory(args, io);
    if (args.contains(QStringLiteral("--fleet"))) return runGenerateFleet(args, io);
    QMap<QString, QString> options;
    if (!parseOptions(args,
                      {QStringLiteral("generation"), QStringLiteral("start"), QStringLiteral("days"),
                       QStringLiteral("seed"), QStringLiteral("out")},
                      options, io))
        return kUsageError;
    for (const char* required : {"generation", "start", "days", "out"})
        if (!options.contains(QLatin1String(required))) {
            io.err << "vorl-cli generate: --" << required << " is required\n";
            return kUsageError;
        }
    GeneratorOptions gen;
    bool okGeneration = false, okDays = false, okSeed = true;
    gen.generation = options.value(QStringLiteral("generation")).toInt(&okGeneration);
    gen.days = options.value(QStringLiteral("days")).toInt(&okDays);
    gen.start = ParseCliDay(options.value(QStringLiteral("start")));
    if (options.contains(QStringLiteral("seed")))
        gen.seed = options.value(QStringLiteral("seed")).toUInt(&okSeed);
    QString problem = CheckGeneratorOptions(gen);
    if (!okGeneration || !okDays || !okSeed)
        problem = QStringLiteral("--generation, --days and --seed take numbers");
    if (!problem.isEmpty()) {
        io.err << "vorl-cli generate: " << problem << '\n';
        return kUsageError;
    }

    const QString out = options.value(QStringLiteral("out"));
    if (!checkOutputTarget(QStringLiteral("generate"), out, StandardOutput::Refused, io)) return kUsageError;

    io.err << "generating " << gen.days << " days of generation-" << gen.generation << " data\n";
    auto store = std::make_unique<DataStore>();
    GenerateIntoStore(*store, gen);
    QString error;
    if (!WriteSaveFile(*store, out, gen.generation, gen.generation == 3 ? 4096 : 8192, {}, &error)) {
        io.err << "vorl-cli generate: cannot write " << out << ": " << error << '\n';
        return 1;
    }
    io.out << out << '\n';
    return 0;
}

// Loads FILE into a fresh store; the messages of a refused file are printed by the console.
std::unique_ptr<DataStore> loadFile(const QStringList& args, CliStreams& io, const char* command,
                                    int& status) {
    const auto parsed = ParseCliArgs(args, {}, QLatin1String(command), io.err);
    if (!parsed) {
        status = kUsageError;
        return nullptr;
    }
    if (parsed->positional.size() != 1) {
        io.err << "vorl-cli " << command << ": give one save file\n";
        status = kUsageError;
        return nullptr;
    }
    auto store = std::make_unique<DataStore>();
    ConsoleUiServices ui(io.out);
    ConsoleShell shell;
    if (!LoadSaveFile(*store, args.first(), ui, shell)) {
        status = 1;
        return nullptr;
    }
    status = 0;
    return store;
}

QString stamp(const LeqTable& table, int row) {
    return TwoDigits(table(row, 3)) + QLatin1Char('/') + TwoDigits(table(row, 5)) + QLatin1Char('/') +
           QString::number(2000 + table(row, 6)) + QLatin1Char(' ') + TwoDigits(table(row, 2)) +
           QLatin1Char(':') + TwoDigits(table(row, 1));
}

int runInfo(const QStringList& args, CliStreams& io) {
    int status = 0;
    const auto store = loadFile(args, io, "info", status);
    if (!store) return status;
    const bool gen5 = store->Device_Version == 5;
    const int leqRows = gen5 ? 8192 : 4096;

    int first = 0, last = 0, levels = 0;
    for (int r = 1; r <= leqRows; ++r) {
        if (!isValidLevelOrEventRow(store->Leq_Records, r)) continue;
        if (first == 0) first = r;
        last = r;
        ++levels;
    }
    int events = 0;
    for (int r = 1; r <= EventTable::rowCount; ++r)
        if (isValidLevelOrEventRow(store->Event_Records, r) && isEventRow(store->Event_Records, r)) ++events;

    io.out << "generation: " << store->Device_Version << '\n';
    io.out << "serial: " << SerialNumberOf(store->Param_Block) << '\n';
    io.out << "firmware: " << (gen5 ? FirmwareVersionText(store->Param_Block) : QStringLiteral("3.2"))
           << '\n';
    io.out << "first: " << (first ? stamp(store->Leq_Records, first) : QStringLiteral("none")) << '\n';
    io.out << "last: " << (last ? stamp(store->Leq_Records, last) : QStringLiteral("none")) << '\n';
    io.out << "levels: " << levels << '\n';
    io.out << "events: " << events << '\n';
    if (gen5) {
        int changes = 0;
        for (int r = 1; r <= ParamChangeTable::rowCount; ++r)
            if (isValidParamChangeRow(store->Param_Change_Records, r)) ++changes;
        io.out << "param-changes: " << changes << '\n';
        io.out << "transfer: " << store->Transfer_Date << ' ' << store->Transfer_Time << '\n';
    }
    return 0;
}

int runCheck(const QStringList& args, CliStreams& io) {
    int status = 0;
    if (!loadFile(args, io, "check", status)) return status;
    io.out << "OK\n";
    return 0;
}

} // namespace

std::vector<CliCommand> fileCliCommands() {
    return {
        {QStringLiteral("generate"),
         QStringLiteral("--generation 3|5 --start DD/MM/YYYY --days N [--seed S] --out FILE.qlv | --history "
                        "DIR [--weeks N] "
                        "[--start D] [--seed S] | --fleet N --out DIR [--weeks N] [--start D] [--seed S]"),
         QStringLiteral("write a synthetic save file: a bar's evenings recorded from the start day"),
         runGenerate},
        {QStringLiteral("info"), QStringLiteral("FILE"),
         QStringLiteral("generation, serial number, firmware, first and last level, counts of a save file"),
         runInfo},
        {QStringLiteral("check"), QStringLiteral("FILE"),
         QStringLiteral("load a save file as the program does: OK, or the message that refuses it"),
         runCheck},
    };
}
