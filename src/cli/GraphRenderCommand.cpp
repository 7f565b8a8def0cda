#include "cli/GraphRenderCommand.h"
#include "cli/ConsoleShell.h"

#include "cli/CliOptions.h"
#include "cli/CliOutput.h"
#include "cli/ConsoleUiServices.h"
#include "cli/GraphCommands.h"
#include "core/files/SaveFile.h"
#include "core/graphs/GraphPeriod.h"
#include "core/graphs/GraphWindow.h"
#include "core/graphs/ZoomSelection.h"
#include "paint/GraphPageRender.h"
#include "paint/GraphRender.h"

#include <cmath>

namespace {
// What the window would show besides its two normal graphs: one graph enlarged, optionally zoomed
// onto a range, or the page its print button prints.
struct EnlargedRequest {
    std::optional<GraphId> graph;
    QString zoomText;
    bool printLayout = false;
};

// The range of --zoom X1,X2,Y1,Y2 taken as a drag from (X1, Y1 dB) to (X2, Y2 dB): the window
// refuses the same drags (too short leftwards, a level drop under 5 dB, nothing left after rounding).
std::optional<ZoomRange> zoomFromText(const QString& text) {
    if (!zoomRangeFromText(text)) return std::nullopt;
    const QStringList parts = text.split(QLatin1Char(','));
    double v[4];
    for (int i = 0; i < 4; ++i)
        v[i] = parts.at(i).trimmed().toDouble();
    return selectedZoomRange(v[0], -std::abs(v[2]), v[1], -std::abs(v[3]), v[1], -std::abs(v[3]));
}

int writeEnlarged(DataStore& store, const GraphWindowView& view, const EnlargedRequest& request,
                  const QString& out, CliStreams& io) {
    const GraphId graph = *request.graph;
    if (graph == GraphId::Leq1 && store.Device_Version == 3) {
        io.err << "vorl-cli graph: firmware 3.2 data has no Leq1 graph\n";
        return 2;
    }
    if (!view.hasRecords) {
        io.err << "vorl-cli graph: no record in this window, nothing to enlarge\n";
        return 1;
    }
    QString error;
    bool written = false;
    if (request.printLayout) {
        written = WriteGraphPage(graph, store, view.header, view.dateLabel, out, error);
    } else {
        std::optional<ZoomRange> zoom;
        if (!request.zoomText.isEmpty()) zoom = zoomFromText(request.zoomText);
        written = WriteEnlargedGraph(graph, store, zoom, out, error);
    }
    if (!written) {
        io.err << "vorl-cli graph: " << error << '\n';
        return 1;
    }
    io.err << "graph written to " << out << '\n';
    return 0;
}

int runGraph(const QStringList& args, CliStreams& io) {
    if (args.isEmpty() || args.first().startsWith(QLatin1String("--"))) {
        io.err << "vorl-cli graph: a save file is needed\n";
        return 2;
    }
    // --out and the enlarged graph are this command's own; the window options are the template command's.
    std::vector<OptionRule> options = templateOptions();
    for (const char* name : {"out", "enlarged", "zoom"})
        options.push_back({QLatin1String(name), OptionKind::Value});
    options.push_back({QStringLiteral("print-layout"), OptionKind::Switch});
    const auto parsed = ParseCliArgs(args.mid(1), options, QStringLiteral("graph"), io.err);
    if (!parsed || !CliNoArguments(*parsed, QStringLiteral("graph"), io.err)) return 2;
    const QString out = parsed->value("out");
    EnlargedRequest enlarged;
    if (parsed->has("enlarged")) {
        const QString which = parsed->value("enlarged").toLower();
        if (which == QLatin1String("leq1"))
            enlarged.graph = GraphId::Leq1;
        else if (which == QLatin1String("leq10"))
            enlarged.graph = GraphId::Leq10;
        else {
            io.err << "vorl-cli graph: --enlarged is leq1 or leq10\n";
            return 2;
        }
    }
    enlarged.zoomText = parsed->value("zoom");
    enlarged.printLayout = parsed->has("print-layout");
    if (out.isEmpty()) {
        io.err << "vorl-cli graph: --out OUT.png or OUT.pdf is needed\n";
        return 2;
    }
    if (!out.endsWith(QLatin1String(".png"), Qt::CaseInsensitive) &&
        !out.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive)) {
        io.err << "vorl-cli graph: the output must end in .png or .pdf\n";
        return 2;
    }
    if (!enlarged.zoomText.isEmpty() && !enlarged.graph) {
        io.err << "vorl-cli graph: --zoom needs --enlarged leq1|leq10\n";
        return 2;
    }
    if (!enlarged.zoomText.isEmpty() && !zoomFromText(enlarged.zoomText)) {
        io.err << "vorl-cli graph: --zoom wants X1,X2,Y1,Y2: X1,X2 places on the time axis, where 12 is noon "
                  "of the start day and one unit is 1 hour (--days 1), 3 hours (--days 3) or 6 hours (--days "
                  "7); Y1,Y2 levels in dB; as a drag the graph accepts: rightwards or at least one unit "
                  "leftwards, upwards or at least 5 dB down, not '"
               << enlarged.zoomText << "'\n";
        return 2;
    }
    if (enlarged.printLayout) {
        if (!enlarged.zoomText.isEmpty()) {
            io.err << "vorl-cli graph: only an unzoomed graph prints; drop --zoom with --print-layout\n";
            return 2;
        }
        if (!out.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive)) {
            io.err << "vorl-cli graph: the printed page is written as OUT.pdf\n";
            return 2;
        }
        if (!enlarged.graph) enlarged.graph = GraphId::Leq10;
    }
    if (!checkOutputTarget(QStringLiteral("graph"), out, StandardOutput::Refused, io)) return 2;
    const auto request = templateRequestOf(*parsed, io.err, QStringLiteral("graph"));
    if (!request) return 2;

    DataStore store;
    ConsoleUiServices ui(io.out);
    ConsoleShell shell;
    io.err << "reading " << args.first() << '\n';
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
    if (enlarged.graph) return writeEnlarged(store, view, enlarged, out, io);
    QString error;
    if (!WriteGraphBoxes(store, view.hasRecords, out, error)) {
        io.err << "vorl-cli graph: " << error << '\n';
        return 1;
    }
    io.err << "graph written to " << out << '\n';
    // An empty window still gives its (blank) picture, but there was nothing to draw.
    return view.hasRecords ? 0 : 1;
}
} // namespace

std::vector<CliCommand> graphRenderCommands() {
    return {
        {QStringLiteral("graph"),
         QStringLiteral(
             "FILE --start DD/MM/YYYY --days 1|3|7 [--thresholds DAY,NIGHT,JN,NJ] [--enlarged leq1|leq10 "
             "[--zoom X1,X2,Y1,Y2 | --print-layout]] --out OUT.png|OUT.pdf"),
         QStringLiteral("the graphs of a window as the graph window draws them: both, one enlarged (and "
                        "zoomed), or the printed page; --zoom X1,X2 are places on the time axis (12 is "
                        "noon of the start day, one unit is 1, 3 or 6 hours for 1, 3 or 7 days), Y1,Y2 "
                        "levels in dB"),
         runGraph},
    };
}
