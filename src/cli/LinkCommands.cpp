#include "cli/LinkCommands.h"
#include "cli/CliOptions.h"
#include "cli/ConsoleShell.h"
#include "cli/PushCommand.h"
#include "core/files/OutputTarget.h"

#include "cli/ConsoleUiServices.h"
#include "core/archive/Archive.h"
#include "core/files/SaveFile.h"
#include "core/link/Decoding.h"
#include "core/link/QtSerialLink.h"
#include "core/link/Transfer.h"
#include "core/link/TransferMessages.h"
#include "core/link/WaitProgress.h"
#include "core/platform/MainShell.h"
#include "core/platform/QtClock.h"
#include "sim/DeviceEmulator.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <algorithm>
#include <map>

namespace {

// The progress window of a command-line run: its texts on standard error, each time they change.
class ConsoleProgress : public ProgressSink {
public:
    ConsoleProgress(QTextStream& err, int generation) : m_err(err), m_progress(generation) {
        m_err << m_progress.transmissionLabel() << '\n';
        m_err.flush();
    }
    void progressTick() override {
        const QString transmission = m_progress.transmissionLabel();
        const QString classement = m_progress.classementLabel();
        const QString percentage = m_progress.percentageLabel();
        m_progress.tick();
        if (m_progress.transmissionLabel() != transmission) m_err << m_progress.transmissionLabel() << '\n';
        if (m_progress.classementLabel() != classement) m_err << m_progress.classementLabel() << '\n';
        if (m_progress.percentageLabel() != percentage) m_err << m_progress.percentageLabel() << '\n';
        m_err.flush();
    }
    void transmissionNearlyDone() override { m_progress.setTransmissionNearlyDone(); }

private:
    QTextStream& m_err;
    WaitProgress m_progress;
};

// "--name value" and "--flag" options after the positional arguments.
struct Options {
    QStringList positional;
    std::map<QString, QString> values;
    QStringList flags;
};

// The arguments as the one parser reads them, the options under their "--name"; nothing after it said
// why it refused them.
std::optional<Options> parseOptions(const QStringList& args, const std::vector<OptionRule>& rules,
                                    const QString& command, CliStreams& io) {
    const auto parsed = ParseCliArgs(args, rules, command, io.err);
    if (!parsed) return std::nullopt;
    Options options;
    options.positional = parsed->positional;
    for (const OptionRule& o : rules) {
        if (!parsed->options.contains(o.name)) continue;
        if (o.kind == OptionKind::Switch)
            options.flags << QStringLiteral("--") + o.name;
        else
            options.values[QStringLiteral("--") + o.name] = parsed->options.value(o.name);
    }
    return options;
}

bool numberOption(const Options& options, const QString& name, qint64& value, QString& error) {
    const auto it = options.values.find(name);
    if (it == options.values.end()) return true;
    bool ok = false;
    value = it->second.toLongLong(&ok);
    if (!ok || value < 0) {
        error = QStringLiteral("%1 needs a number, not \"%2\"").arg(name, it->second);
        return false;
    }
    return true;
}

bool generationOption(const Options& options, int& generation, QString& error) {
    const auto it = options.values.find(QStringLiteral("--generation"));
    if (it == options.values.end()) return true;
    if (it->second == QLatin1String("3") || it->second == QLatin1String("5")) {
        generation = it->second.toInt();
        return true;
    }
    error = QStringLiteral("--generation is 3 or 5, not \"%1\"").arg(it->second);
    return false;
}

int runSimulate(const QStringList& args, CliStreams& io) {
    std::vector<OptionRule> rules = ValueOptions(
        {QStringLiteral("answer-from"), QStringLiteral("stall-after"), QStringLiteral("extra-final"),
         QStringLiteral("hangup-after"), QStringLiteral("generation"), QStringLiteral("speed")});
    rules.push_back({QStringLiteral("fast"), OptionKind::Switch});
    rules.push_back({QStringLiteral("no-param-reply"), OptionKind::Switch});
    const auto parsed = parseOptions(args, rules, QStringLiteral("simulate"), io);
    if (!parsed) return 2;
    const Options& options = *parsed;
    QString error;
    if (error.isEmpty() && options.positional.size() != 1) error = QStringLiteral("one save file is needed");
    EmulatorOptions emulation;
    qint64 answerFrom = 1, extraFinal = 0, speed = 1;
    int generation = 0;
    const bool valid =
        error.isEmpty() && numberOption(options, QStringLiteral("--answer-from"), answerFrom, error) &&
        numberOption(options, QStringLiteral("--stall-after"), emulation.stallAfter, error) &&
        numberOption(options, QStringLiteral("--extra-final"), extraFinal, error) &&
        numberOption(options, QStringLiteral("--hangup-after"), emulation.hangupAfter, error) &&
        numberOption(options, QStringLiteral("--speed"), speed, error) &&
        generationOption(options, generation, error);
    if (!valid) {
        io.err << "vorl-cli simulate: " << error << '\n';
        return 2;
    }
    emulation.answerFrom = static_cast<int>(qMax<qint64>(1, answerFrom));
    emulation.extraFinal = static_cast<int>(qMin<qint64>(extraFinal, 1 << 20));
    emulation.speed = static_cast<int>(std::clamp<qint64>(speed, 1, 1000));
    emulation.fast = options.flags.contains(QStringLiteral("--fast"));
    emulation.paramReply = !options.flags.contains(QStringLiteral("--no-param-reply"));

    DataStore store;
    ConsoleUiServices ui(io.out);
    ConsoleShell shell;
    if (!LoadSaveFile(store, options.positional.first(), ui, shell)) {
        if (ui.messageCount() == 0)
            io.err << "vorl-cli simulate: cannot read " << options.positional.first() << '\n';
        return 1;
    }
    emulation.generation = generation != 0 ? generation : store.Device_Version;

    DeviceEmulator emulator(store.deviceData(), emulation);
    if (!emulator.start(&error)) {
        io.err << "vorl-cli simulate: no pseudo-terminal: " << error << '\n';
        return 1;
    }
    io.out << emulator.devicePath() << '\n';
    io.out.flush();
    io.err << "QLV 40 generation " << emulation.generation << " on " << emulator.devicePath()
           << (emulation.fast        ? QStringLiteral(" (fast)")
               : emulation.speed > 1 ? QStringLiteral(" (%1x the line rate)").arg(emulation.speed)
                                     : QStringLiteral(" (line rate)"))
           << "; stop with Ctrl+C\n";
    io.err.flush();
    QObject::connect(&emulator, &DeviceEmulator::message, [&io](const QString& line) {
        io.err << line << '\n';
        io.err.flush();
    });
    QEventLoop loop;
    QObject::connect(&emulator, &DeviceEmulator::hungUp, &loop, &QEventLoop::quit);
    loop.exec();
    return 0;
}

// Whether the save file can be written, asked before the device is woken: a download takes minutes
// and must not be thrown away at the end. An existing path must be a regular file (a link counts as
// its target); the file is written through a temporary file beside it, so that is tried here too,
// without touching the file itself.
bool checkOutputFile(const QString& path, QString& reason) {
    // The message box is French: the two refusals a user meets most are said in its words.
    if (!outputTargetProblem(path).isEmpty()) {
        const QFileInfo info(path);
        reason = info.isSymLink() && !info.exists()
                     ? QStringLiteral("le lien mène à un fichier qui n'existe pas")
                     : QStringLiteral("ce n'est pas un fichier ordinaire");
        return false;
    }
    CheckedOutputFile probe(path); // never committed: its temporary file goes when it does
    return probe.open(reason);
}

int runTransfer(const QStringList& args, CliStreams& io) {
    QtClock clock;
    return runTransferCommand(args, io, clock);
}

} // namespace

int runTransferCommand(const QStringList& args, CliStreams& io, Clock& clock) {
    std::vector<OptionRule> rules = ValueOptions({QStringLiteral("port"), QStringLiteral("generation"),
                                                  QStringLiteral("out"), QStringLiteral("timeout")});
    // Alone, --archive means the archive in force (VORL_ARCHIVE, else the default file).
    rules.push_back({QStringLiteral("archive"), OptionKind::OptionalValue});
    rules.push_back({QStringLiteral("push"), OptionKind::Value});
    for (const OptionRule& rule : pushOptionRules())
        rules.push_back(rule);
    if (refusesTokenArgument(args, QStringLiteral("transfer"), io.err)) return 2;
    const auto parsed = parseOptions(args, rules, QStringLiteral("transfer"), io);
    if (!parsed) return 2;
    const Options& options = *parsed;
    QString error;
    // Like the program at start: a firmware 5.X device unless told otherwise.
    int generation = 5;
    // Nobody is there to cancel: a device that stops sending ends the run after this long.
    qint64 timeoutSeconds = 30;
    if (error.isEmpty() && generationOption(options, generation, error) &&
        numberOption(options, QStringLiteral("--timeout"), timeoutSeconds, error) && timeoutSeconds == 0)
        error = QStringLiteral("--timeout needs a number of seconds above 0");
    const QString port = options.values.count(QStringLiteral("--port"))
                             ? options.values.at(QStringLiteral("--port"))
                             : QString();
    const QString out = options.values.count(QStringLiteral("--out"))
                            ? options.values.at(QStringLiteral("--out"))
                            : QString();
    if (error.isEmpty() && (port.isEmpty() || out.isEmpty() || !options.positional.isEmpty()))
        error = QStringLiteral(
            "usage: transfer --port PATH [--generation 3|5] [--timeout SECONDS] --out FILE.qlv "
            "[--archive [LOCATION]] [--push URL [--token-file FILE] [--ca FILE.pem] [--state DIR]]");
    const auto pushOption = options.values.find(QStringLiteral("--push"));
    if (error.isEmpty() && pushOption == options.values.end())
        for (const OptionRule& rule : pushOptionRules())
            if (options.values.count(QStringLiteral("--") + rule.name))
                error = QStringLiteral("--%1 goes with --push URL").arg(rule.name);
    if (!error.isEmpty()) {
        io.err << "vorl-cli transfer: " << error << '\n';
        return 2;
    }
    // The server, the token and the certificates are checked before the device is woken: a download
    // takes minutes and must not end in a usage error.
    std::optional<PushTarget> pushTarget;
    if (pushOption != options.values.end()) {
        QMap<QString, QString> pushOptions;
        for (const auto& [name, value] : options.values)
            pushOptions.insert(name.mid(2), value);
        int status = 0;
        pushTarget = pushTargetFrom(QStringLiteral("transfer"), pushOption->second, pushOptions, io, status);
        if (!pushTarget) return status;
    }

    DataStore store;
    store.Device_Version = static_cast<int16_t>(generation);
    store.Com_Port = 0; // the device is named by its path
    ConsoleUiServices ui(io.out);
    QString reason;
    if (!checkOutputFile(out, reason)) {
        ui.message(
            MessageIcon::Critical, QStringLiteral("Erreur d'enregistrement"),
            QStringLiteral("Le fichier %1 ne pourra pas être enregistré : %2. Le transfert n'a pas été "
                           "lancé.")
                .arg(out, reason));
        return 1;
    }
    QtSerialLink link(&clock);
    ConsoleProgress progress(io.err, generation);
    TransferEnvironment env{link, clock, port, &progress, nullptr, {}};
    env.silenceLimitMs = qMin<qint64>(timeoutSeconds, 24 * 3600) * 1000;
    const TransferResult result = TransferDeviceMemory(store, env);
    if (!result.succeeded()) {
        if (!result.title.isEmpty()) {
            ui.message(MessageIcon::Critical, result.title, result.text);
        } else if (const auto message = TransferFailureMessage(store.Transfer_Step)) {
            ui.message(message->icon, message->title, message->text);
        }
        return 1;
    }

    // The bytes written are the bytes sent.
    const QByteArray content = SaveFileContent(store, generation, LeqRecordCount(generation));
    if (!WriteSaveFileContent(out, content, &error)) {
        ui.message(MessageIcon::Critical, QStringLiteral("Erreur d'enregistrement"),
                   QStringLiteral("Le fichier %1 n'a pas pu être enregistré : %2").arg(out, error));
        return 1;
    }
    io.out << out << '\n';
    int status = 0;
    const auto archiveOption = options.values.find(QStringLiteral("--archive"));
    if (archiveOption != options.values.end()) {
        // Only a completed transfer reaches this point; the file is written whatever the archive does.
        const ImportResult archived = ArchiveFinishedTransfer(store, archiveOption->second, port);
        if (archived) {
            io.err << ImportResultText(archived) << '\n';
        } else {
            // This process ends here: the download lives on in the save file, not in memory.
            ui.message(
                MessageIcon::Critical, QStringLiteral("Archive"),
                QStringLiteral("Archivage impossible : %1 Le transfert est enregistré dans le fichier %2.")
                    .arg(archived.error(), out));
            status = 1;
        }
    }
    if (pushTarget) {
        // Queued even when the archive failed: the server is another copy, not a second try of it.
        const int pushed = queueAndPush(*pushTarget, {{QFileInfo(out).fileName(), content}}, clock, io);
        if (status == 0) status = pushed;
    }
    return status;
}

std::vector<CliCommand> linkCliCommands() {
    return {
        {QStringLiteral("simulate"),
         QStringLiteral("FILE.qlv [--fast] [--speed N] [--answer-from N] [--stall-after N] [--extra-final N] "
                        "[--hangup-after N] "
                        "[--no-param-reply] [--generation 3|5]"),
         QStringLiteral(
             "act as a QLV 40 holding the file's data on a new pseudo-terminal (its path on the first "
             "line)"),
         runSimulate},
        {QStringLiteral("transfer"),
         QStringLiteral(
             "--port PATH [--generation 3|5] [--timeout SECONDS] --out FILE.qlv [--archive [LOCATION]] "
             "[--push URL [--token-file FILE] [--ca FILE.pem] [--state DIR]]"),
         QStringLiteral("download the memory of a QLV 40 and write it as a save file (--timeout: longest "
                        "silence of the device once it has answered, 30 s unless told); --archive also "
                        "archives it (LOCATION as for archive; default VORL_ARCHIVE, else the default "
                        "file); --push also sends it to the server at URL, as push does"),
         runTransfer},
    };
}
