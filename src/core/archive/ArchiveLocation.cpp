#include "core/archive/ArchiveLocation.h"

#include <QDir>
#include <QRegularExpression>
#include <QUrl>
#include <QUrlQuery>

namespace {
const QString kMask = QStringLiteral("****");

// The URL parameters handed on to the client library; any other is refused by name rather than
// dropped, so that a connection the user asked to encrypt never runs in clear.
const QStringList& serverParameters() {
    static const QStringList names = {
        QStringLiteral("sslmode"), QStringLiteral("sslrootcert"),     QStringLiteral("sslcert"),
        QStringLiteral("sslkey"),  QStringLiteral("connect_timeout"), QStringLiteral("application_name"),
    };
    return names;
}

// "name:" at the start of a location: a scheme. Two letters at least, so that "C:" stays a path.
QString schemeOf(const QString& text) {
    static const QRegularExpression scheme(QStringLiteral("^([A-Za-z][A-Za-z0-9+.-]+):"));
    const QRegularExpressionMatch match = scheme.match(text);
    return match.hasMatch() ? match.captured(1).toLower() : QString();
}

// An address the parser could not read: its user-info may hold any character (a password with '/',
// '@' or a space), so all of it up to the last '@' is hidden.
QString maskedAddress(const QString& address) {
    static const QRegularExpression start(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*:/*"));
    const int at = address.lastIndexOf(QLatin1Char('@'));
    const QRegularExpressionMatch match = start.match(address);
    if (at < 0 || !match.hasMatch() || at < match.capturedEnd()) return MaskPasswords(address);
    return MaskPasswords(address.left(match.capturedEnd()) + kMask + address.mid(at));
}

QString unreadable(const QString& address, const QString& why = {}) {
    return QStringLiteral("Adresse d'archive illisible : ") + maskedAddress(address) +
           (why.isEmpty() ? QStringLiteral(" (attendu : postgresql://utilisateur@serveur[:port]/base)")
                          : QStringLiteral(" (") + why + QLatin1Char(')'));
}
} // namespace

QString ArchiveLocation::sqliteFile() const {
    if (!isSqliteUri()) return path;
    // A URI's path ends at its query; "file:///x", "file://localhost/x" and "file:/x" are one file.
    QString rest = path.mid(5);
    rest = rest.left(rest.indexOf(QLatin1Char('?')) < 0 ? rest.size() : rest.indexOf(QLatin1Char('?')));
    rest = rest.left(rest.indexOf(QLatin1Char('#')) < 0 ? rest.size() : rest.indexOf(QLatin1Char('#')));
    if (rest.startsWith(QLatin1String("//"))) {
        rest = rest.mid(2);
        const int slash = rest.indexOf(QLatin1Char('/'));
        rest = slash < 0 ? QString() : rest.mid(slash);
    }
    return QUrl::fromPercentEncoding(rest.toUtf8());
}

bool ArchiveLocation::isSqliteUri() const {
    return engine == ArchiveEngine::Sqlite && path.startsWith(QLatin1String("file:"), Qt::CaseInsensitive);
}

QString ArchiveLocation::sqliteUriParameter(const QString& name) const {
    const int query = path.indexOf(QLatin1Char('?'));
    if (!isSqliteUri() || query < 0) return {};
    return QUrlQuery(path.mid(query + 1)).queryItemValue(name, QUrl::FullyDecoded);
}

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
    // An IPv6 address keeps its brackets, or its colons would read as a port.
    text += host.contains(QLatin1Char(':')) ? QLatin1Char('[') + host + QLatin1Char(']') : host;
    if (port > 0) text += QLatin1Char(':') + QString::number(port);
    text += QLatin1Char('/') + database;
    for (int i = 0; i < parameters.size(); ++i)
        text += (i == 0 ? QLatin1Char('?') : QLatin1Char('&')) + parameters[i].first + QLatin1Char('=') +
                parameters[i].second;
    return text;
}

QString DefaultArchivePath() {
    // Not QStandardPaths: it would put the program's own name in the folder, and the window and
    // vorl-cli must share one file.
    QString base = qEnvironmentVariable("XDG_DATA_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = QDir::homePath() + QStringLiteral("/.local/share");
    return base + QStringLiteral("/vorl-analyser/archive.sqlite");
}

ArchiveResult<ArchiveLocation> ParseArchiveLocation(const QString& text) {
    const auto fail = [](const QString& why) { return ArchiveResult<ArchiveLocation>::failure(why); };
    ArchiveLocation location;
    const QString trimmed = text.trimmed();
    if (trimmed.compare(QLatin1String("off"), Qt::CaseInsensitive) == 0) return location;
    if (trimmed.isEmpty()) {
        location.engine = ArchiveEngine::Sqlite;
        location.path = DefaultArchivePath();
        return location;
    }
    const QString scheme = schemeOf(trimmed);
    if (scheme.isEmpty() || scheme == QLatin1String("file")) {
        // A "file:" URI is handed to SQLite as it is, with its parameters (mode=ro...).
        location.engine = ArchiveEngine::Sqlite;
        location.path = trimmed;
        if (location.isSqliteUri() && location.sqliteFile().isEmpty())
            return fail(unreadable(trimmed, QStringLiteral("attendu : file:/chemin/archive.sqlite")));
        return location;
    }
    // Any other scheme is a mistyped or foreign address: it must never become a folder of that name.
    if ((scheme != QLatin1String("postgresql") && scheme != QLatin1String("postgres")) ||
        !trimmed.mid(scheme.size() + 1).startsWith(QLatin1String("//")))
        return fail(unreadable(trimmed));
    const QUrl url(trimmed, QUrl::StrictMode);
    const QString database = url.path().mid(1);
    if (!url.isValid() || database.isEmpty() || database.contains(QLatin1Char('/')) ||
        (url.port() == 0 || url.port() > 65535) || url.hasFragment())
        return fail(unreadable(trimmed));
    const QUrlQuery query(url);
    for (const auto& [name, value] : query.queryItems(QUrl::FullyDecoded)) {
        if (!serverParameters().contains(name))
            return fail(unreadable(trimmed, QStringLiteral("paramètre inconnu : ") + name));
        if (value.isEmpty() || value.contains(QLatin1Char(';')))
            return fail(unreadable(trimmed, QStringLiteral("valeur illisible : ") + name));
        location.parameters.append({name, value});
    }
    location.engine = ArchiveEngine::Postgres;
    location.host = url.host();
    location.port = url.port(0);
    location.user = url.userName(QUrl::FullyDecoded);
    location.password = url.password(QUrl::FullyDecoded);
    location.database = database;
    return location;
}

ArchiveResult<ArchiveLocation> ResolveArchiveLocation(const QString& commandLineValue) {
    if (!commandLineValue.isEmpty()) return ParseArchiveLocation(commandLineValue);
    return ParseArchiveLocation(qEnvironmentVariable("VORL_ARCHIVE"));
}

QString MaskPasswords(const QString& text) {
    // The user-info of an address, up to the '@' before its host, and a password=... parameter
    // (quoted or not).
    // A user-info already shown as "user:****@" (displayText) stays as it is.
    static const QRegularExpression userInfo(
        QStringLiteral("\\b([A-Za-z][A-Za-z0-9+.-]*:/++)(?![^\\s@:/]*:\\*\\*\\*\\*@)\\S*@"));
    static const QRegularExpression password(
        QStringLiteral("(password\\s*=\\s*)(?:'(?:[^'\\\\]|\\\\.)*'|[^\\s&;]*)"),
        QRegularExpression::CaseInsensitiveOption);
    QString masked = text;
    masked.replace(userInfo, QStringLiteral("\\1") + kMask + QLatin1Char('@'));
    masked.replace(password, QStringLiteral("\\1") + kMask);
    return masked;
}

QString ArchiveFailureText(const QString& driverText) {
    static const struct {
        const char* clue; // in the driver's text, any case
        const char* cause;
    } causes[] = {
        {"disk is full", "le disque est plein"},
        {"no space left", "le disque est plein"},
        {"readonly database", "l'archive est en lecture seule"},
        {"read-only", "l'archive est en lecture seule"},
        {"database is locked", "l'archive est occupée par un autre programme"},
        {"password authentication failed", "le serveur a refusé l'identification"},
        {"authentication failed", "le serveur a refusé l'identification"},
        {"no password supplied", "le serveur a refusé l'identification (aucun mot de passe)"},
        {"could not connect", "le serveur ne répond pas"},
        {"connection refused", "le serveur ne répond pas"},
        {"could not translate host name", "le serveur est introuvable"},
        {"timeout expired", "le serveur ne répond pas"},
        {"malformed", "l'archive est endommagée"},
        {"not a database", "l'archive est endommagée"},
    };
    const QString text = driverText.simplified();
    for (const auto& c : causes)
        if (text.contains(QLatin1String(c.clue), Qt::CaseInsensitive))
            return QString::fromUtf8(c.cause) + QStringLiteral(". Détail : ") + text;
    return text;
}
