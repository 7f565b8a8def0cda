#pragma once

#include "cli/CliApp.h"
#include "cli/CliOptions.h"
#include "core/store/DataStore.h"

#include <QDate>
#include <optional>
#include <vector>

// The graph commands of vorl-cli.
std::vector<CliCommand> graphCommands();

struct TemplateRequest {
    QDate start;
    int days = 1;
    std::optional<std::array<QString, 4>> thresholds; // day, night, day->night hour, night->day hour
};

// Reads the window arguments after the file name (of "template", or of `command` when another command
// takes them too); nullopt (with the reason on standard error, naming the command) when they make no
// request.
std::optional<TemplateRequest> parseTemplateRequest(const QStringList& args, QTextStream& err,
                                                    const QString& command = QStringLiteral("template"));
// The same from arguments already read; templateOptions() are the options that make the request.
const std::vector<OptionRule>& templateOptions();
std::optional<TemplateRequest> templateRequestOf(const CliArgs& args, QTextStream& err,
                                                 const QString& command);

// Builds the threshold template of the window for the data in the store, as the graph window does,
// and prints one line per step: "DD/MM/YYYY HH:MM BEFORE AFTER". Exit status 0 when a template was built.
int printThresholdTemplate(DataStore& store, const TemplateRequest& request, CliStreams& io);
