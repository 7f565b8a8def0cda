#include "cli/CliOptions.h"

#include "cli/TerminalText.h"
#include "core/store/Labels.h"

#include <algorithm>

namespace {
const QString kArchiveNeedsLocation =
    QStringLiteral("--archive needs a location (a file, file:..., postgresql://... or off)");

bool looksLikeOption(const QString& arg) {
    return arg.startsWith(QLatin1String("--")) && arg.size() > 2;
}
} // namespace

std::optional<CliArgs> ParseCliArgs(const QStringList& args, const std::vector<OptionRule>& options,
                                    const QString& command, QTextStream& err) {
    CliArgs parsed;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (!looksLikeOption(arg)) {
            parsed.positional << arg;
            continue;
        }
        const QString name = arg.mid(2);
        const auto rule =
            std::find_if(options.begin(), options.end(), [&](const OptionRule& o) { return name == o.name; });
        if (rule == options.end()) {
            CliUsageError(err, command,
                          QStringLiteral("unknown option '%1' (see vorl-cli %2 --help)")
                              .arg(TerminalText(arg), command.section(QLatin1Char(' '), 0, 0)));
            return std::nullopt;
        }
        QString value;
        switch (rule->kind) {
        case OptionKind::Switch:
            break;
        case OptionKind::OptionalValue:
            if (i + 1 < args.size() && !looksLikeOption(args[i + 1])) {
                value = args[++i];
                if (value.trimmed().isEmpty()) {
                    CliUsageError(err, command,
                                  name == QLatin1String("archive")
                                      ? kArchiveNeedsLocation
                                      : QStringLiteral("option '%1' needs a value, not a blank").arg(arg));
                    return std::nullopt;
                }
            }
            break;
        case OptionKind::Value:
            if (i + 1 >= args.size()) {
                CliUsageError(err, command, QStringLiteral("option '%1' needs a value").arg(arg));
                return std::nullopt;
            }
            value = args[++i];
            // A blank location would quietly mean the default archive.
            if (name == QLatin1String("archive") && value.trimmed().isEmpty()) {
                CliUsageError(err, command, kArchiveNeedsLocation);
                return std::nullopt;
            }
            break;
        }
        parsed.options[name] = value;
    }
    return parsed;
}

std::vector<OptionRule> ValueOptions(const QStringList& names) {
    std::vector<OptionRule> options;
    for (const QString& name : names)
        options.push_back({name, OptionKind::Value});
    return options;
}

bool CliNoArguments(const CliArgs& args, const QString& command, QTextStream& err) {
    if (args.positional.isEmpty()) return true;
    CliUsageError(err, command,
                  QStringLiteral("unexpected argument '%1' (see vorl-cli %2 --help)")
                      .arg(TerminalText(args.positional.first()), command.section(QLatin1Char(' '), 0, 0)));
    return false;
}

QDate ParseCliDay(const QString& text) {
    const QString trimmed = text.trimmed();
    if (trimmed.contains(QLatin1Char('-'))) return QDate::fromString(trimmed, QStringLiteral("yyyy-MM-dd"));
    return ParseDateText(trimmed);
}

QString CliDayForms() {
    return QStringLiteral("DD/MM/YYYY or YYYY-MM-DD");
}

bool CliDayOption(const CliArgs& args, const char* name, QDate& day, const QString& command,
                  QTextStream& err) {
    day = QDate();
    if (!args.has(name)) return true;
    day = ParseCliDay(args.value(name));
    if (day.isValid()) return true;
    CliUsageError(err, command,
                  QStringLiteral("--%1 wants a day as %2, not '%3'")
                      .arg(QLatin1String(name), CliDayForms(), TerminalText(args.value(name))));
    return false;
}

int CliUsageError(QTextStream& err, const QString& command, const QString& text) {
    err << "vorl-cli " << command << ": " << text << '\n';
    return kCliUsageError;
}
