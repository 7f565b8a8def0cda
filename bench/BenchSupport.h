#pragma once

// What the benchmarks share: a main window and message boxes that show nothing, and a GUI
// application for the fonts of the pictures (off screen, so the benchmarks run anywhere).

#include "cli/ConsoleShell.h"
#include "core/platform/UiServices.h"

#include <QGuiApplication>

namespace bench {

class SilentUi : public UiServices {
public:
    void message(MessageIcon, const QString&, const QString&) override {}
    std::optional<QString> openFileName(const QString&, const QString&) override { return std::nullopt; }
    std::optional<QString> saveFileName(const QString&, const QString&) override { return std::nullopt; }
    void setBusyCursor(bool) override {}
};

using SilentShell = ConsoleShell;

inline void ensureGuiApplication() {
    if (QCoreApplication::instance()) return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "vorl-bench";
    static char* argv[] = {name, nullptr};
    static QGuiApplication app(argc, argv);
}

} // namespace bench
