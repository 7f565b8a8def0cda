#include "cli/FleetCommand.h"

#include "cli/CliOptions.h"
#include "core/files/OutputTarget.h"
#include "core/files/SaveFile.h"
#include "core/store/Labels.h"
#include "sim/History.h"

#include <QDir>
#include <QSet>

namespace {
constexpr int kUsageError = 2;
constexpr int kMostVenues = 2000;
} // namespace

int runGenerateFleet(const QStringList& args, CliStreams& io) {
    const auto parsed = ParseCliArgs(args, ValueOptions({"fleet", "out", "weeks", "start", "seed"}),
                                     QStringLiteral("generate"), io.err);
    if (!parsed || !CliNoArguments(*parsed, QStringLiteral("generate"), io.err)) return kUsageError;
    const QMap<QString, QString>& options = parsed->options;
    bool ok = true, okWeeks = true, okSeed = true;
    const int venues = options.value(QStringLiteral("fleet")).toInt(&ok);
    HistoryOptions history;
    history.missedWeek = 0;
    if (options.contains(QStringLiteral("weeks")))
        history.weeks = options.value(QStringLiteral("weeks")).toInt(&okWeeks);
    uint32_t firstSeed = 1;
    if (options.contains(QStringLiteral("seed")))
        firstSeed = options.value(QStringLiteral("seed")).toUInt(&okSeed);
    QDate start;
    if (!CliDayOption(*parsed, "start", start, QStringLiteral("generate"), io.err)) return kUsageError;
    if (start.isValid()) history.start = start;
    const QString out = options.value(QStringLiteral("out"));
    if (!ok || !okWeeks || !okSeed || venues < 1 || venues > kMostVenues || out.isEmpty()) {
        io.err << "vorl-cli generate: --fleet takes a number of venues (1.." << kMostVenues
               << ") and --out a folder; --weeks and --seed take numbers\n";
        return kUsageError;
    }
    if (const QString problem = CheckHistoryOptions(history); !problem.isEmpty()) {
        io.err << "vorl-cli generate: " << problem << '\n';
        return kUsageError;
    }
    // One line per venue: its folder, its name and its device's serial, for the scripts that archive
    // the fleet and attach each device to its venue.
    QByteArray manifest = "folder;venue;serial\n";
    QSet<QString> serials;
    uint32_t seed = firstSeed;
    for (int venue = 1; venue <= venues; ++venue) {
        const QString folder = QStringLiteral("lieu-%1").arg(venue, 4, 10, QLatin1Char('0'));
        QString serial;
        // A seed whose serial another venue already has is passed over: every device is its own.
        do {
            history.seed = seed++;
            const std::vector<HistoryReading> readings = GenerateHistory(history);
            serial = readings.empty() ? QString() : SerialNumberOf(readings.front().data.Param_Block);
        } while (serials.contains(serial));
        serials.insert(serial);
        QString error;
        const QStringList paths = WriteHistoryFiles(history, QDir(out).filePath(folder), &error);
        if (paths.isEmpty()) {
            io.err << "vorl-cli generate: " << error << '\n';
            return 1;
        }
        manifest += QStringLiteral("%1;Lieu %2;%3\n").arg(folder).arg(venue).arg(serial).toUtf8();
        io.err << folder << ": " << paths.size() << " downloads of device " << serial << '\n';
    }
    QString error;
    if (!writeFileReplacing(QDir(out).filePath(QStringLiteral("fleet.csv")), manifest, error)) {
        io.err << "vorl-cli generate: " << error << '\n';
        return 1;
    }
    io.out << QDir(out).filePath(QStringLiteral("fleet.csv")) << '\n';
    return 0;
}
