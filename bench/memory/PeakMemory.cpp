// vorl-peak-memory [FILE.qlv DD/MM/YYYY [SHOT.png]]: the program's main window with its real services, a save
// file loaded as the "Ouvrir" command loads it, then the 7-day graph window opened from the given day
// and painted once (into SHOT.png when given, to see what was measured). Prints the peak resident memory of
// the process at that point.

#include "core/files/SaveFile.h"
#include "core/graphs/GraphPeriod.h"
#include "ui/shell/Application.h"

#include <QApplication>
#include <QDate>
#include <QFile>
#include <QTextStream>

namespace {
// The "VmHWM" (peak) and "VmRSS" lines of the process status, in kB.
qint64 statusKilobytes(const char* key) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly | QIODevice::Text)) return -1;
    const QByteArray prefix = QByteArray(key) + ':';
    for (QByteArray line = status.readLine(); !line.isEmpty(); line = status.readLine())
        if (line.startsWith(prefix)) return line.mid(prefix.size()).trimmed().split(' ').first().toLongLong();
    return -1;
}
} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTextStream out(stdout);
    const QStringList args = QCoreApplication::arguments().mid(1);
    const QString file = args.value(0, QStringLiteral(VORL_SOURCE_DIR "/samples/gen5-7days.qlv"));
    const QDate start =
        QDate::fromString(args.value(1, QStringLiteral("23/03/2009")), QStringLiteral("dd/MM/yyyy"));
    if (!start.isValid()) {
        out << "usage: vorl-peak-memory [FILE.qlv DD/MM/YYYY [SHOT.png]]\n";
        return 2;
    }
    const qint64 atStart = statusKilobytes("VmHWM");

    AnalyserWindows windows;
    FrmMain& main = windows.main();
    DataStore& store = windows.store();
    main.resize(1600, 1000);
    main.show();
    if (!LoadSaveFile(store, file, windows.ui(), main.context().shell)) return 1;

    StoreGraphWindow(store, {start.day(), start.month(), start.year()}, 7);
    main.open(WindowId::frmGraphique_Leq);
    QCoreApplication::processEvents();
    const QImage painted = main.grab().toImage();
    QCoreApplication::processEvents();
    if (args.size() > 2) painted.save(args[2]);

    out << "file: " << file << '\n'
        << "window: 7 days from " << start.toString(QStringLiteral("dd/MM/yyyy")) << '\n'
        << "painted: " << painted.width() << "x" << painted.height() << '\n'
        << "peak at start (kB): " << atStart << '\n'
        << "peak after loading and the graph (kB): " << statusKilobytes("VmHWM") << '\n'
        << "resident now (kB): " << statusKilobytes("VmRSS") << '\n';
    return 0;
}
