#include "cli/GraphRenderCommand.h"
#include "cli/ConsoleShell.h"

#include "cli/ConsoleUiServices.h"
#include "cli/GraphCommands.h"
#include "core/files/SaveFile.h"
#include "core/graphs/GraphPeriod.h"
#include "core/graphs/GraphWindow.h"
#include "paint/GraphRender.h"

namespace {
int runGraph(const QStringList& args, CliStreams& io) {
    if (args.isEmpty() || args.first().startsWith(QLatin1String("--"))) {
        io.err << "vorl-cli graph: a save file is needed\n";
        return 2;
    }
    // --out is this command's own; the window options are the template command's.
    QStringList windowArgs;
    QString out;
    for (qsizetype i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--out")) {
            if (i + 1 >= args.size()) {
                io.err << "vorl-cli graph: --out needs a file name\n";
                return 2;
            }
            out = args[++i];
        } else {
            windowArgs.append(args[i]);
        }
    }
    if (out.isEmpty()) {
        io.err << "vorl-cli graph: --out OUT.png or OUT.pdf is needed\n";
        return 2;
    }
    if (!out.endsWith(QLatin1String(".png"), Qt::CaseInsensitive) &&
        !out.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive)) {
        io.err << "vorl-cli graph: the output must end in .png or .pdf\n";
        return 2;
    }
    const auto request = parseTemplateRequest(windowArgs, io.err);
    if (!request) return 2;

    DataStore store;
    ConsoleUiServices ui(io.out);
    ConsoleShell shell;
    io.err << "Lecture de " << args.first() << '\n';
    io.err.flush();
    if (!LoadSaveFile(store, args.first(), ui, shell)) {
        if (ui.messageCount() == 0) io.err << "vorl-cli graph: cannot read " << args.first() << '\n';
        return 1;
    }
    const bool generation3 = store.Device_Version == 3;
    if (generation3 && !request->thresholds) {
        io.err << "vorl-cli graph: firmware 3.2 data needs --thresholds DAY,NIGHT,JN,NJ\n";
        return 2;
    }
    GraphDialogInput input;
    input.startDate = request->start;
    input.oneDay = request->days == 1;
    input.threeDays = request->days == 3;
    input.sevenDays = request->days == 7;
    if (request->thresholds) {
        input.dayLevel = (*request->thresholds)[0];
        input.nightLevel = (*request->thresholds)[1];
        input.dayNightHour = (*request->thresholds)[2];
        input.nightDayHour = (*request->thresholds)[3];
    }
    if (!AcceptGraphDialog(store, input, generation3, ui)) return 1;

    const GraphWindowView view = LoadGraphWindow(store, ui);
    QString error;
    if (!WriteGraphBoxes(store, view.hasRecords, out, error)) {
        io.err << "vorl-cli graph: " << error << '\n';
        return 1;
    }
    io.err << "Graphique écrit dans " << out << '\n';
    // An empty window still gives its (blank) picture, but there was nothing to draw.
    return view.hasRecords ? 0 : 1;
}
} // namespace

std::vector<CliCommand> graphRenderCommands() {
    return {
        {QStringLiteral("graph"),
         QStringLiteral(
             "FILE --start DD/MM/YYYY --days 1|3|7 [--thresholds DAY,NIGHT,JN,NJ] --out OUT.png|OUT.pdf"),
         QStringLiteral("the Leq10 and Leq1 graphs of a window as the graph window draws them"), runGraph},
    };
}
