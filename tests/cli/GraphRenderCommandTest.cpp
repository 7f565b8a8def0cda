#include "cli/CliApp.h"
#include "core/files/SaveFile.h"
#include "core/graphs/Curves.h"
#include "core/graphs/GraphPeriod.h"
#include "core/graphs/GraphWindow.h"
#include "support/Fakes.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
struct GraphRun {
    int status = 0;
    QString out, err;
};

GraphRun runGraph(const QStringList& args) {
    GraphRun run;
    QTextStream out(&run.out), err(&run.err);
    CliStreams io{out, err};
    run.status = runCli(QStringList{QStringLiteral("vorl-cli"), QStringLiteral("graph")} + args, io);
    out.flush();
    err.flush();
    return run;
}

QString sample(const char* name) {
    return QStringLiteral(VORL_SOURCE_DIR "/samples/") + QString::fromLatin1(name);
}

// Whether a pixel near (px, py) (a few pixels up or down: lines are antialiased) has that colour.
bool colourNear(const QImage& image, double px, double py, QColor want) {
    for (int dy = -3; dy <= 3; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
            const QColor c = image.pixelColor(qRound(px) + dx, qRound(py) + dy);
            if (std::abs(c.red() - want.red()) + std::abs(c.green() - want.green()) +
                    std::abs(c.blue() - want.blue()) <=
                24)
                return true;
        }
    return false;
}
} // namespace

TEST(GraphRenderCommand, PngShowsTemplateCurveAndLimitWhereTheWindowDrawsThem) {
    QTemporaryDir dir;
    const QString png = dir.filePath(QStringLiteral("graph.png"));
    const GraphRun run =
        runGraph({sample("gen5-7days.qlv"), QStringLiteral("--start"), QStringLiteral("24/03/2009"),
                  QStringLiteral("--days"), QStringLiteral("1"), QStringLiteral("--out"), png});
    ASSERT_EQ(run.status, 0) << run.err.toStdString() << run.out.toStdString();
    const QImage image(png);
    ASSERT_FALSE(image.isNull());

    // The same window in a store, to know where things must be.
    DataStore store;
    FakeUiServices ui;
    FakeMainShell shell;
    ASSERT_TRUE(LoadSaveFile(store, sample("gen5-7days.qlv"), ui, shell));
    StoreGraphWindow(store, {24, 3, 2009}, 1);
    const GraphWindowView view = LoadGraphWindow(store, ui);
    ASSERT_TRUE(view.hasRecords);
    ASSERT_GE(store.Leq10_Count, 2);
    ASSERT_FALSE(store.Template_Steps.empty());

    // The Leq10 box fills the picture's width from its top; the 1-day scale is 9..39 by -129..-48.
    const double boxWidth = image.width();
    const double boxHeight = image.height() * 3975.0 / (9240 + 285 - 840);
    auto px = [&](double x) { return (x - 9) / 30 * boxWidth; };
    auto py = [&](double y) { return (y + 129) / 81 * boxHeight; };

    const QColor green(0, 146, 64), red(255, 0, 0), blue(0, 0, 255);
    // The template starts at the left end of the time axis, at the level in force before its first step.
    EXPECT_TRUE(colourNear(image, px(11.5), py(-store.Template_Steps.front().before), green));
    // The recording limit at 70 dB, in the middle of the axis where the hatching leaves room.
    EXPECT_TRUE(colourNear(image, px(25), py(-70), blue));
    // The first Leq10 record: a step ending at its own time, drawn over the template.
    const auto& r = store.Leq10_Records;
    const int minutes = (r(1, 3) == 24 ? 0 : 24 * 60) + r(1, 2) * 60 + r(1, 1) - 12 * 60;
    const double x = 12 + minutes / 60.0;
    EXPECT_TRUE(colourNear(image, px(x - 1.0 / 12), py(-recordLevel(r, 1, false)), red));
    // Nothing red left of noon.
    EXPECT_FALSE(colourNear(image, px(10.5), py(-recordLevel(r, 1, false)), red));
}

TEST(GraphRenderCommand, WritesPdfAndRefusesBadRequests) {
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("graph.pdf"));
    const GraphRun ok =
        runGraph({sample("gen3-3days.qlv"), QStringLiteral("--start"), QStringLiteral("05/03/2009"),
                  QStringLiteral("--days"), QStringLiteral("3"), QStringLiteral("--thresholds"),
                  QStringLiteral("90,80,22,6"), QStringLiteral("--out"), pdf});
    EXPECT_EQ(ok.status, 0) << ok.err.toStdString();
    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.read(5).startsWith("%PDF"));

    struct Case {
        const char* name;
        QStringList args;
        int status;
    };
    const QString png = dir.filePath(QStringLiteral("x.png"));
    const Case cases[] = {
        {"no output", {sample("gen5-3days.qlv"), QStringLiteral("--start"), QStringLiteral("05/03/2009")}, 2},
        {"bad output kind",
         {sample("gen5-3days.qlv"), QStringLiteral("--start"), QStringLiteral("05/03/2009"),
          QStringLiteral("--out"), dir.filePath(QStringLiteral("x.gif"))},
         2},
        {"generation 3 without thresholds",
         {sample("gen3-3days.qlv"), QStringLiteral("--start"), QStringLiteral("05/03/2009"),
          QStringLiteral("--out"), png},
         2},
        {"bad threshold",
         {sample("gen3-3days.qlv"), QStringLiteral("--start"), QStringLiteral("05/03/2009"),
          QStringLiteral("--thresholds"), QStringLiteral("90,80,25,6"), QStringLiteral("--out"), png},
         1},
        {"missing file",
         {dir.filePath(QStringLiteral("none.qlv")), QStringLiteral("--start"), QStringLiteral("05/03/2009"),
          QStringLiteral("--out"), png},
         1},
        {"unknown window option",
         {sample("gen5-3days.qlv"), QStringLiteral("--start"), QStringLiteral("05/03/2009"),
          QStringLiteral("--colour"), QStringLiteral("red"), QStringLiteral("--out"), png},
         2},
    };
    for (const Case& c : cases) {
        const GraphRun run = runGraph(c.args);
        EXPECT_EQ(run.status, c.status) << c.name << ": " << run.err.toStdString();
        // The errors name the command that was run.
        if (c.status == 2) {
            EXPECT_TRUE(run.err.contains(QStringLiteral("vorl-cli graph: "))) << c.name;
        }
    }
}

TEST(GraphRenderCommand, EmptyWindowPrintsTheMessageAndFails) {
    QTemporaryDir dir;
    const QString png = dir.filePath(QStringLiteral("empty.png"));
    const GraphRun run =
        runGraph({sample("gen5-3days.qlv"), QStringLiteral("--start"), QStringLiteral("01/01/2008"),
                  QStringLiteral("--days"), QStringLiteral("1"), QStringLiteral("--out"), png});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.out.contains(
        QStringLiteral("Pas de veleur Leq !!!\nAucune valeur Leq enregistrée pour cette période !!!\n")))
        << run.out.toStdString();
    EXPECT_TRUE(QFile::exists(png));
}
