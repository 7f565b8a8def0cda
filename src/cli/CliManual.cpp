#include "cli/CliManual.h"

#include "cli/CliApp.h"

namespace {
const QString kName = QStringLiteral(
    "command-line companion of VORL Analyser, the analyser of QLV 40 sound-level monitor data");

// roff reads a backslash as an escape, a leading dot or quote as a request, "-" as a hyphen.
QString roff(QString text) {
    text.replace(QLatin1Char('\\'), QStringLiteral("\\e"));
    text.replace(QLatin1Char('-'), QStringLiteral("\\-"));
    if (text.startsWith(QLatin1Char('.')) || text.startsWith(QLatin1Char('\'')))
        text.prepend(QStringLiteral("\\&"));
    return text;
}

void printTerm(QTextStream& out, const QString& term, const QString& text) {
    out << "  " << term;
    if (term.size() <= 12) {
        out << QString(14 - term.size(), QLatin1Char(' ')) << wrapHelpText(text, 16) << '\n';
        return;
    }
    out << "\n      " << wrapHelpText(text, 6) << '\n';
}
} // namespace

const std::vector<HelpSection>& cliHelpSections() {
    static const std::vector<HelpSection> sections = {
        {QStringLiteral("Options"),
         {{QStringLiteral("-h, --help"),
           QStringLiteral("show this help (after a command: that command's usage) and exit")},
          {QStringLiteral("--version"), QStringLiteral("show the program version and exit")},
          {QStringLiteral("--man-page"), QStringLiteral("print this help as a manual page (roff) and exit")},
          {QStringLiteral("DD/MM/YYYY"),
           QStringLiteral(
               "a day, as every command takes it (--from, --to, --start); YYYY-MM-DD is read too")},
          {QStringLiteral("--archive LOCATION"),
           QStringLiteral("the archive a command uses; an empty or blank LOCATION is refused, \"off\" "
                          "reports the archive switched off")},
          {QStringLiteral("--venue ID"),
           QStringLiteral("compliance of a venue of the archive (archive venue list gives its number), the "
                          "very bytes the server's /api/v1/venues/ID/compliance sends: each night is judged "
                          "on the device the venue had that day, a night it had none is unknown; a period "
                          "on which it had no device, two devices on one day, or devices of different "
                          "generations is refused")}}},
        {QStringLiteral("Output"),
         {{{},
           QStringLiteral(
               "Results go to standard output, progress to standard error. A message box of the program "
               "is printed as two lines, its title then its text, on standard output; when standard output "
               "carries data (export, stats and compliance --format csv|json), message boxes go to standard "
               "error, so that standard output carries only data; every other command prints them on "
               "standard output. --out FILE writes a file instead (\"-\" is "
               "standard output). A file named by --out or --pdf is replaced only once it is completely "
               "written; a device, pipe or folder is refused.")}}},
        {QStringLiteral("Environment"),
         {{QStringLiteral("VORL_ARCHIVE"),
           QStringLiteral("the archive when --archive is not given: a SQLite file, file:PATH[?mode=ro], "
                          "postgresql://user@host[:port]/database or off")},
          {QStringLiteral("VORL_PORTS"),
           QStringLiteral("device paths, separated by colons, numbered first as COM 1, COM 2 ...")},
          {QStringLiteral("VORL_PORTS_ONLY"),
           QStringLiteral("when 1, only the paths of VORL_PORTS are used")},
          {QStringLiteral("XDG_DATA_HOME"),
           QStringLiteral("where the default archive lives (default: ~/.local/share)")},
          {QStringLiteral("VORL_TOKEN"),
           QStringLiteral("the device token of push and transfer --push, unless --token-file names a file "
                          "holding it")},
          {QStringLiteral("XDG_STATE_HOME"),
           QStringLiteral("where the queue of push lives (default: ~/.local/state)")},
          {QStringLiteral("PGHOST, PGPORT, PGUSER, PGPASSWORD, PGSSLMODE"),
           QStringLiteral("read by the PostgreSQL client for the parts a postgresql:// address leaves out; "
                          "a password belongs in ~/.pgpass or PGPASSWORD, never in an argument")}}},
        {QStringLiteral("Files"),
         {{QStringLiteral("~/.local/share/vorl-analyser/archive.sqlite"),
           QStringLiteral("the default archive")},
          {QStringLiteral("~/.local/state/vorl-analyser/push/pending, .../refused"),
           QStringLiteral("the files waiting to be sent to the server, and those it refused")},
          {QStringLiteral("~/.config/vorl-analyser/transfer.env"),
           QStringLiteral("the serial port (VORL_PORT) and archive of the nightly download")},
          {QStringLiteral("vorl-archive-transfer.service, vorl-archive-transfer.timer"),
           QStringLiteral("the systemd user units of the nightly download, installed but not enabled")}}},
        {QStringLiteral("Languages"),
         {{{},
           QStringLiteral("The program's own texts (message boxes, tables, printouts) are in French, as the "
                          "program shows them; vorl-cli's usage, argument errors and progress notes are in "
                          "English.")}}},
        {QStringLiteral("Exit status"),
         {{QStringLiteral("0"), QStringLiteral("success")},
          {QStringLiteral("1"), QStringLiteral("a message reports a failure, or a file or standard output "
                                               "cannot be written")},
          {QStringLiteral("2"), QStringLiteral("a usage error, said on standard error")}}},
    };
    return sections;
}

QString wrapHelpText(const QString& text, int indent, int width) {
    const QStringList words = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    QString wrapped;
    int column = indent;
    bool lineStart = true;
    for (const QString& word : words) {
        if (!lineStart && column + 1 + word.size() > width) {
            wrapped += QLatin1Char('\n') + QString(indent, QLatin1Char(' '));
            column = indent;
            lineStart = true;
        }
        if (!lineStart) {
            wrapped += QLatin1Char(' ');
            ++column;
        }
        wrapped += word;
        column += int(word.size());
        lineStart = false;
    }
    return wrapped;
}

// Laid out for help2man too: a name line, the usage lines, then sections headed "Title:".
void printCliHelp(QTextStream& out) {
    out << "vorl-cli - " << kName << "\n"
        << "Usage: vorl-cli COMMAND [ARGUMENTS]\n"
           "  or:  vorl-cli COMMAND --help\n"
           "  or:  vorl-cli --help | --version\n\n"
           "Commands:\n";
    for (const CliCommand& command : cliCommands()) {
        out << "  " << command.name;
        if (!command.usage.isEmpty()) out << ' ' << wrapHelpText(command.usage, 4);
        out << "\n      " << wrapHelpText(command.summary, 6) << '\n';
    }
    for (const HelpSection& section : cliHelpSections()) {
        out << '\n' << section.title << ":\n";
        for (const HelpEntry& entry : section.entries) {
            if (entry.term.isEmpty())
                out << "  " << wrapHelpText(entry.text, 2) << '\n';
            else
                printTerm(out, entry.term, entry.text);
        }
    }
}

void printCliManualPage(QTextStream& out) {
    out << ".SH NAME\nvorl-cli \\- " << roff(kName) << '\n'
        << ".SH SYNOPSIS\n.B vorl-cli\n.I command\n[\\fIarguments\\fR]\n.br\n.B vorl-cli\n.I command\n"
           ".B \\-\\-help\n.br\n.B vorl-cli \\-\\-help\n|\n.B \\-\\-version\n"
           ".SH DESCRIPTION\nDownloads, reads, checks, prints and exports the memory of a QLV 40 "
           "sound-level monitor and its\n.I .qlv\nsave files, and keeps every download in an archive.\n"
           ".SH COMMANDS\n";
    for (const CliCommand& command : cliCommands()) {
        out << ".SS " << roff(command.name) << '\n' << ".B vorl-cli " << roff(command.name) << '\n';
        if (!command.usage.isEmpty()) out << roff(command.usage) << '\n';
        out << ".PP\n" << roff(command.summary) << '\n';
    }
    for (const HelpSection& section : cliHelpSections()) {
        out << ".SH " << roff(section.title.toUpper()) << '\n';
        for (const HelpEntry& entry : section.entries) {
            if (entry.term.isEmpty())
                out << ".PP\n" << roff(entry.text) << '\n';
            else
                out << ".TP\n.B " << roff(entry.term) << '\n' << roff(entry.text) << '\n';
        }
    }
    out << ".SH SEE ALSO\n.BR vorl-analyser (1)\n";
}
