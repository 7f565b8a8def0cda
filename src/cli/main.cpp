#include "cli/CliApp.h"
#include "cli/TerminalText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <cstdio>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {
// Without a session (root, containers, cron) Qt warns on every run that it has no runtime folder.
// Give it one of this user's own, made once and reused, as Qt would make its default one.
void provideRuntimeFolder() {
#ifdef Q_OS_UNIX
    if (!qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) return;
    const QString path =
        QDir::tempPath() + QStringLiteral("/vorl-cli-runtime-") + QString::number(::getuid());
    const QByteArray native = QFile::encodeName(path);
    ::mkdir(native.constData(), 0700);
    struct stat info {};
    // Only a real folder of this user that nobody else may enter; otherwise Qt says what is wrong.
    if (::lstat(native.constData(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::getuid() &&
        (info.st_mode & 0777) == 0700)
        qputenv("XDG_RUNTIME_DIR", native);
#endif
}

// The SQL layer's own complaints about a connection the server dropped ("database not open",
// "Unable to free statement", the server's own notice) repeat, in English, what the command reports in
// its message.
QtMessageHandler g_previousHandler = nullptr;
void dropSqlConnectionNoise(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type == QtWarningMsg && (text.startsWith(QLatin1String("QSqlQuery::")) ||
                                 text.startsWith(QLatin1String("Unable to free statement")) ||
                                 text.startsWith(QLatin1String("FATAL:  terminating connection"))))
        return;
    if (g_previousHandler)
        g_previousHandler(type, context, text);
    else
        std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, text)));
}
} // namespace

int main(int argc, char** argv) {
    // Pictures (graphs, printouts) are drawn without a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    provideRuntimeFolder();
    g_previousHandler = qInstallMessageHandler(dropSqlConnectionNoise);
#ifdef Q_OS_UNIX
    // A file-size limit then fails the write with its reason instead of killing the run half-way.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    QGuiApplication app(argc, argv);
    QGuiApplication::setApplicationName(QStringLiteral("vorl-cli"));
    QGuiApplication::setApplicationVersion(QStringLiteral(VORL_VERSION));
    // Not QGuiApplication::arguments(): it replaces the bytes of a name that are not UTF-8.
    std::unique_ptr<QTemporaryDir> links;
    return runCli(LinkRawFileNames(ArgumentsFromBytes(argc, argv), links));
}
