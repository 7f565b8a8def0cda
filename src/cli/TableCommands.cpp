#include "cli/TableCommands.h"
#include "cli/ConsoleShell.h"

#include "cli/CliOptions.h"
#include "cli/CliOutput.h"
#include "cli/ConsoleUiServices.h"
#include "core/files/SaveFile.h"
#include "core/store/Labels.h"
#include "core/tables/Parameters.h"
#include "core/tables/ParametersForm.h"
#include "core/tables/PeriodDialog.h"
#include "core/tables/TablePrintLayout.h"
#include "core/tables/TableViews.h"
#include "paint/FormPainter.h"
#include "paint/OutputFiles.h"
#include "paint/TablePagePainter.h"

namespace {
void printLines(const QStringList& lines, CliStreams& io) {
    for (const QString& line : lines)
        io.out << line << '\n';
}

// Reads FILE into the store; the reader prints its own messages.
bool loadFile(DataStore& store, const QString& path, CliStreams& io) {
    ConsoleUiServices ui(io.out);
    ConsoleShell shell;
    if (LoadSaveFile(store, path, ui, shell)) return true;
    if (ui.messageCount() == 0) io.err << "vorl-cli: cannot read " << path << '\n';
    return false;
}

int usage(CliStreams& io, const QString& command, const QString& text) {
    io.err << "vorl-cli " << command << ": " << text << '\n';
    return 2;
}

const QMap<QString, TableKind>& tableKinds() {
    static const QMap<QString, TableKind> kinds = {{QStringLiteral("leq"), TableKind::Leq},
                                                   {QStringLiteral("leq1"), TableKind::Leq1},
                                                   {QStringLiteral("leq10"), TableKind::Leq10},
                                                   {QStringLiteral("events"), TableKind::Events}};
    return kinds;
}

bool changeOption(const QString& text, std::optional<int>& change) {
    if (text.isEmpty()) return true;
    bool ok = false;
    change = text.toInt(&ok);
    return ok;
}

int runTable(const QStringList& arguments, CliStreams& io) {
    const auto parsed = ParseCliArgs(arguments, ValueOptions({QStringLiteral("from"), QStringLiteral("to")}),
                                     QStringLiteral("table"), io.err);
    if (!parsed) return kCliUsageError;
    const QStringList& args = parsed->positional;
    if (args.size() != 2 || !parsed->has("from") || !parsed->has("to"))
        return usage(io, QStringLiteral("table"),
                     QStringLiteral("usage: table leq|leq1|leq10|events FILE "
                                    "--from DD/MM/YYYY --to DD/MM/YYYY"));
    const QMap<QString, TableKind>& kinds = tableKinds();
    if (!kinds.contains(args[0]))
        return usage(io, QStringLiteral("table"), QStringLiteral("unknown table ") + args[0]);
    QDate from, to;
    if (!CliDayOption(*parsed, "from", from, QStringLiteral("table"), io.err) ||
        !CliDayOption(*parsed, "to", to, QStringLiteral("table"), io.err))
        return kCliUsageError;

    DataStore store;
    if (!loadFile(store, args[1], io)) return 1;
    return printTable(store, kinds.value(args[0]), from, to, io);
}

int printUsage(CliStreams& io) {
    return usage(
        io, QStringLiteral("print"),
        QStringLiteral("usage: print table leq|leq1|leq10|events FILE --from DD/MM/YYYY --to DD/MM/YYYY "
                       "[--pdf OUT.pdf], or print params FILE [--change K] [--pdf OUT.pdf]"));
}

// "print table KIND FILE ..." and "print params FILE ..."; "print KIND FILE ..." is the older form of
// the first and stays accepted.
int runPrint(const QStringList& arguments, CliStreams& io) {
    const auto parsed = ParseCliArgs(arguments,
                                     ValueOptions({QStringLiteral("from"), QStringLiteral("to"),
                                                   QStringLiteral("pdf"), QStringLiteral("change")}),
                                     QStringLiteral("print"), io.err);
    if (!parsed) return printUsage(io);
    QStringList args = parsed->positional;
    const QString fromText = parsed->value("from"), toText = parsed->value("to");
    const QString pdfPath = parsed->value("pdf"), changeText = parsed->value("change");
    if (args.isEmpty()) return printUsage(io);
    if (!pdfPath.isEmpty() &&
        !checkOutputTarget(QStringLiteral("print"), pdfPath, StandardOutput::Refused, io))
        return 2;

    if (args[0] == QLatin1String("params")) {
        std::optional<int> change;
        if (args.size() != 2 || !fromText.isEmpty() || !toText.isEmpty() || !changeOption(changeText, change))
            return printUsage(io);
        DataStore store;
        if (!loadFile(store, args[1], io)) return 1;
        return printParametersPrintout(store, change, pdfPath, io);
    }

    if (args[0] == QLatin1String("table")) args.removeFirst();
    if (args.size() != 2 || fromText.isEmpty() || toText.isEmpty() || !changeText.isEmpty() ||
        !tableKinds().contains(args[0]))
        return printUsage(io);
    QDate from, to;
    if (!CliDayOption(*parsed, "from", from, QStringLiteral("print"), io.err) ||
        !CliDayOption(*parsed, "to", to, QStringLiteral("print"), io.err))
        return kCliUsageError;
    DataStore store;
    if (!loadFile(store, args[1], io)) return 1;
    return printTablePrintout(store, tableKinds().value(args[0]), from, to, pdfPath, io);
}

int runParams(const QStringList& arguments, CliStreams& io) {
    const auto parsed =
        ParseCliArgs(arguments, ValueOptions({QStringLiteral("change")}), QStringLiteral("params"), io.err);
    if (!parsed || parsed->positional.size() != 1)
        return usage(io, QStringLiteral("params"), QStringLiteral("usage: params FILE [--change K]"));
    const QStringList& args = parsed->positional;
    const QString changeText = parsed->value("change");
    std::optional<int> change;
    if (!changeOption(changeText, change))
        return usage(io, QStringLiteral("params"), QStringLiteral("K is a number (0 = newest change)"));
    DataStore store;
    if (!loadFile(store, args[0], io)) return 1;
    return printParameters(store, change, io);
}
} // namespace

namespace {
// The period dialog's check and texts; false (after its message) for a start after the end.
bool setPeriod(DataStore& store, const QDate& from, const QDate& to, CliStreams& io) {
    ConsoleUiServices ui(io.out);
    if (!CheckPeriod(from, to, ui)) return false;
    SetPeriodStart(store, from);
    SetPeriodEnd(store, to);
    return true;
}
} // namespace

int printTable(DataStore& store, TableKind kind, const QDate& from, const QDate& to, CliStreams& io) {
    if (!setPeriod(store, from, to, io)) return 1;

    if (kind == TableKind::Events) {
        const EventTableView view = PrepareEventTable(store);
        io.out << view.serialLabel << '\n' << view.heading << '\n';
        printLines(view.list.lines, io);
        return 0;
    }
    if (store.Device_Version == 3) {
        if (kind == TableKind::Leq1) {
            io.err
                << "vorl-cli table: the data comes from a firmware 3.2 device, which keeps no Leq1 values\n";
            return 2;
        }
        // Generation 3 keeps ten-minute levels only: "leq10" is its Leq table.
        const LeqTableView view = PrepareLeqTable(store);
        io.out << view.serialLabel << '\n' << view.heading << '\n';
        printLines(view.list.lines, io);
        return 0;
    }
    const LeqTableV5View view = PrepareLeqTableV5(store);
    io.out << view.serialLabel << '\n';
    if (kind != TableKind::Leq1) {
        io.out << view.heading10 << '\n';
        printLines(view.list10.lines, io);
    }
    if (kind != TableKind::Leq10) {
        io.out << view.heading1 << '\n';
        printLines(view.list1.lines, io);
    }
    return 0;
}

namespace {
// A printout painted by `paint` into a PDF file of A4 pages without margins, as the print buttons
// send it to a printer.
template <class Paint> int writePdf(const QString& pdfPath, qsizetype pages, CliStreams& io, Paint paint) {
    QString error;
    const bool written = writePdfFile(
        pdfPath,
        [&paint](QPdfWriter& pdf) {
            pdf.setPageSize(QPageSize(QPageSize::A4));
            pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
            pdf.setCreator(QStringLiteral("VORL Analyser"));
            return paint(pdf);
        },
        error);
    if (!written) {
        io.err << "vorl-cli print: " << error << '\n';
        return 1;
    }
    io.err << pages << " page(s) written to " << pdfPath << '\n';
    return 0;
}

// The pages as a PDF file, or as their texts with positions when no file is named.
int writePrintout(const QList<PrintPage>& pages, const QString& pdfPath, CliStreams& io) {
    if (pdfPath.isEmpty()) {
        for (const QString& line : DescribePages(pages))
            io.out << line << '\n';
        return 0;
    }
    return writePdf(pdfPath, pages.size(), io,
                    [&pages](QPagedPaintDevice& pdf) { return paintTablePages(pdf, pages); });
}

// The parameters view of the store, or of history entry change; 0 when it exists, else 2.
int parametersView(DataStore& store, std::optional<int> change, const char* command, CliStreams& io,
                   ParametersView& view) {
    view = LoadParameters(store);
    if (!change) return 0;
    if (!view.generation5) {
        io.err << "vorl-cli " << command << ": a firmware 3.2 device keeps no history of parameter changes\n";
        return 2;
    }
    if (*change < 0 || *change >= view.history.size()) {
        io.err << "vorl-cli " << command << ": no change " << *change << " (the history holds "
               << view.history.size() << ", 0 = newest)\n";
        return 2;
    }
    view = ChooseParameterChange(store, view, *change);
    return 0;
}
} // namespace

int printTablePrintout(DataStore& store, TableKind kind, const QDate& from, const QDate& to,
                       const QString& pdfPath, CliStreams& io) {
    if (!setPeriod(store, from, to, io)) return 1;
    QList<PrintPage> pages;
    if (kind == TableKind::Events) {
        pages = EventTablePages(PrepareEventTable(store));
    } else if (store.Device_Version == 3) {
        if (kind == TableKind::Leq1) {
            io.err
                << "vorl-cli print: the data comes from a firmware 3.2 device, which keeps no Leq1 values\n";
            return 2;
        }
        pages = LeqTablePages(PrepareLeqTable(store));
    } else {
        const LeqTableV5View view = PrepareLeqTableV5(store);
        pages = kind == TableKind::Leq1    ? Leq1TablePages(view)
                : kind == TableKind::Leq10 ? Leq10TablePages(view)
                                           : LeqTableV5Pages(view);
    }
    return writePrintout(pages, pdfPath, io);
}

int printParametersPrintout(DataStore& store, std::optional<int> change, const QString& pdfPath,
                            CliStreams& io) {
    ParametersView view;
    if (const int status = parametersView(store, change, "print", io, view)) return status;
    const ParametersForm form = BuildParametersForm(view);
    if (pdfPath.isEmpty()) {
        for (const QString& line : DescribeForm(form))
            io.out << line << '\n';
        return 0;
    }
    // The window's printout: its form on one page, painted as Cmd_Print paints it.
    return writePdf(pdfPath, 1, io, [&form](QPagedPaintDevice& pdf) { return printForm(pdf, form); });
}

int printParameters(DataStore& store, std::optional<int> change, CliStreams& io) {
    ParametersView view;
    if (const int status = parametersView(store, change, "params", io, view)) return status;
    if (view.dateLabelVisible) io.out << view.dateLabel << '\n';
    for (const ParameterRow& row : view.rows)
        if (row.visible) io.out << row.caption << '\t' << row.value << '\n';
    return 0;
}

std::vector<CliCommand> tableCommands() {
    return {
        {QStringLiteral("table"),
         QStringLiteral("leq|leq1|leq10|events FILE --from DD/MM/YYYY --to DD/MM/YYYY"),
         QStringLiteral("print a table of a save file for a period, as the table windows show it"), runTable},
        {QStringLiteral("print"),
         QStringLiteral(
             "table leq|leq1|leq10|events FILE --from DD/MM/YYYY --to DD/MM/YYYY [--pdf OUT.pdf] | "
             "params FILE [--change K] [--pdf OUT.pdf]"),
         QStringLiteral("the printout of a table or of the parameters: its texts and positions (twips), or a "
                        "PDF file"),
         runPrint},
        {QStringLiteral("params"), QStringLiteral("FILE [--change K]"),
         QStringLiteral("print the device parameters of a save file (K: history entry, 0 = newest change)"),
         runParams},
    };
}
