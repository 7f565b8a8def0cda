#pragma once

#include <QDate>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QTextStream>
#include <optional>
#include <vector>

// The one reading of every command's arguments: "--name value" options, "--name" switches and the
// positional arguments in between, against the options the command lists.
enum class OptionKind {
    Value,         // --name VALUE
    Switch,        // --name
    OptionalValue, // --name [VALUE]: the value when the next argument is not an option
};
struct OptionRule {
    QString name; // without "--"
    OptionKind kind = OptionKind::Value;
};

struct CliArgs {
    QStringList positional;
    QMap<QString, QString>
        options; // by name without "--"; a switch, or an option without its value, maps to ""

    bool has(const char* name) const { return options.contains(QLatin1String(name)); }
    QString value(const char* name, const QString& fallback = {}) const {
        return options.value(QLatin1String(name), fallback);
    }
};

constexpr int kCliUsageError = 2;

// args read against the options of command ("archive list", "stats"); nothing, after saying why on err,
// for an unknown option, a missing value, or an --archive without a location (a blank one included).
std::optional<CliArgs> ParseCliArgs(const QStringList& args, const std::vector<OptionRule>& options,
                                    const QString& command, QTextStream& err);
// Options that all take a value.
std::vector<OptionRule> ValueOptions(const QStringList& names);

// False after saying so on err when the command was given positional arguments it does not take.
bool CliNoArguments(const CliArgs& args, const QString& command, QTextStream& err);

// A day as every command takes it: DD/MM/YYYY (D/M/YY too), or YYYY-MM-DD. Invalid otherwise.
QDate ParseCliDay(const QString& text);
// The text every command gives for a day it could not read.
QString CliDayForms();

// The day the option names, an invalid date when the option is absent; false after saying why on err
// when its value is not a day.
bool CliDayOption(const CliArgs& args, const char* name, QDate& day, const QString& command,
                  QTextStream& err);

// A usage error: "vorl-cli COMMAND: TEXT" on err, and the usage error's exit status.
int CliUsageError(QTextStream& err, const QString& command, const QString& text);
