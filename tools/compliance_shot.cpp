// Draws the compliance window on a save file for the documentation: its picture and the PDF report.
// Not part of the normal build: cmake --build build --target vorl-compliance-shot, then
// xvfb-run -a build/tools/vorl-compliance-shot FILE.qlv WINDOW.png REPORT.pdf [PRESET]
// The window has its default size; VORL_SHOT_HOLD_MS keeps it on screen longer (for a screen grab).
#include "core/files/SaveFile.h"
#include "paint/ComplianceReportPdf.h"
#include "ui/compliance/ComplianceWindow.h"
#include "ui/shell/Application.h"

#include <QApplication>
#include <QComboBox>
#include <QListWidget>
#include <QTableWidget>
#include <QTextStream>
#include <QTimer>
#include <algorithm>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 4) {
        QTextStream(stderr) << "usage: vorl-compliance-shot FILE.qlv WINDOW.png REPORT.pdf [PRESET]\n";
        return 2;
    }
    qputenv("VORL_ARCHIVE", "off");
    AnalyserWindows windows;
    AppContext& ctx = windows.main().context();
    if (!LoadSaveFile(ctx.store, args[1], ctx.ui, ctx.shell)) return 1;
    auto* window = new ComplianceWindow(ctx);
    if (args.size() > 4)
        for (auto* combo : window->findChildren<QComboBox*>())
            if (const int i = combo->findText(args[4]); i >= 0) combo->setCurrentIndex(i);
    window->show();
    window->compute();
    // The first episode of the night shown, picked out on the plot.
    if (window->episodeList()->count() > 0) window->episodeList()->setCurrentRow(0);
    int status = 0;
    QTimer::singleShot(std::max(500, qEnvironmentVariableIntValue("VORL_SHOT_HOLD_MS")), [&] {
        if (!window->grab().save(args[2])) status = 1;
        QString error;
        if (window->report() && !WriteComplianceReportPdf(*window->report(), args[3], error)) status = 1;
        app.quit();
    });
    app.exec();
    return status;
}
