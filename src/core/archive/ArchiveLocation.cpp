#include "core/archive/ArchiveLocation.h"

#include <QDir>
#include <QRegularExpression>
#include <QUrl>

namespace {
const QString kMask = QStringLiteral("****");

bool isServerUrl(const QString& text) {
    return text.startsWith(QLatin1String("postgresql://"), Qt::CaseInsensitive) ||
           text.startsWith(QLatin1String("postgres://"), Qt::CaseInsensitive);
}

bool fail(QString* error, const QString& text) {
    if (error) *error = text;
    return false;
}
} // namespace

QString ArchiveLocation::displayText() const {
    switch (engine) {
    case ArchiveEngine::Off:
        return QStringLiteral("off");
    case ArchiveEngine::Sqlite:
        return path;
    case ArchiveEngine::Postgres:
        break;
    }
    QString text = QStringLiteral("postgresql://");
    if (!user.isEmpty() || !password.isEmpty()) {
        text += user;
        if (!password.isEmpty()) text += QLatin1Char(':') + kMask;
        text += QLatin1Char('@');
    }
    text += host;
    if (port > 0) text += QLatin1Char(':') + QString::number(port);
    return text + QLatin1Char('/') + database;
}

QString DefaultArchivePath() {
    // Not QStandardPaths: it would put the program's own name in the folder, and the window and
    // vorl-cli must share one file.
    QString base = qEnvironmentVariable("XDG_DATA_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = QDir::homePath() + QStringLiteral("/.local/share");
    return base + QStringLiteral("/vorl-analyser/archive.sqlite");
}

bool ParseArchiveLocation(const QString& text, ArchiveLocation& location, QString* error) {
    location = ArchiveLocation{};
    const QString trimmed = text.trimmed();
    if (trimmed.compare(QLatin1String("off"), Qt::CaseInsensitive) == 0) return true;
    if (trimmed.isEmpty()) {
        location.engine = ArchiveEngine::Sqlite;
        location.path = DefaultArchivePath();
        return true;
    }
    if (!isServerUrl(trimmed)) {
        location.engine = ArchiveEngine::Sqlite;
        location.path = trimmed.startsWith(QLatin1String("file://")) ? QUrl(trimmed).toLocalFile() : trimmed;
        return true;
    }
    const QUrl url(trimmed, QUrl::StrictMode);
    const QString database = url.path().mid(1);
    if (!url.isValid() || database.isEmpty() || database.contains(QLatin1Char('/')) ||
        (url.port() == 0 || url.port() > 65535))
        return fail(error, QStringLiteral("Adresse d'archive illisible : ") + MaskPasswords(trimmed) +
                               QStringLiteral(" (attendu : postgresql://utilisateur@serveur[:port]/base)"));
    location.engine = ArchiveEngine::Postgres;
    location.host = url.host();
    location.port = url.port(0);
    location.user = url.userName(QUrl::FullyDecoded);
    location.password = url.password(QUrl::FullyDecoded);
    location.database = database;
    return true;
}

bool ResolveArchiveLocation(const QString& commandLineValue, ArchiveLocation& location, QString* error) {
    if (!commandLineValue.isEmpty()) return ParseArchiveLocation(commandLineValue, location, error);
    return ParseArchiveLocation(qEnvironmentVariable("VORL_ARCHIVE"), location, error);
}

QString MaskPasswords(const QString& text) {
    // user:password@ inside a server URL; the password ends at the last '@' before the host.
    static const QRegularExpression url(QStringLiteral("(postgres(?:ql)?://[^:/@\\s]*):[^\\s/]*@"),
                                        QRegularExpression::CaseInsensitiveOption);
    QString masked = text;
    masked.replace(url, QStringLiteral("\\1:") + kMask + QLatin1Char('@'));
    return masked;
}
