#include "ui/shell/Application.h"

#include <QApplication>
#include <cstdio>
#include <cstring>

namespace {
// --help and --version answer before any window or display is needed.
bool answeredOnTheTerminal(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("vorl-analyser %s\n", VORL_VERSION);
            return true;
        }
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::printf("vorl-analyser - analyser of QLV 40 sound-level monitor data\n"
                        "Usage: vorl-analyser [Qt options]\n"
                        "  or:  vorl-analyser --help | --version\n\n"
                        "Starts the window. vorl-cli --help lists the command-line companion's commands.\n"
                        "Environment: VORL_PORTS, VORL_PORTS_ONLY, VORL_ARCHIVE (see the manual page).\n");
            return true;
        }
    }
    return false;
}
} // namespace

int main(int argc, char** argv) {
    if (answeredOnTheTerminal(argc, argv)) return 0;
    QApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);
    QApplication app(argc, argv);
    return runVorlAnalyser(app);
}
