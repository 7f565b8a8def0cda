#include "server/AdminCommands.h"

#include "core/archive/Archive.h"
#include "core/archive/ArchiveServerTables.h"
#include "server/RouteContext.h"
#include "server/ServerArguments.h"
#include "server/ServerConsole.h"
#include "server/auth/Passwords.h"
#include "server/auth/Secrets.h"

#include <QDateTime>
#include <termios.h>
#include <unistd.h>
#include <variant>

namespace {
ArchiveResult<std::unique_ptr<Archive>> openArchive(const ServerArguments& parsed, ArchiveOpenMode mode) {
    const auto location = ResolveArchiveLocation(parsed.value(QStringLiteral("--archive")));
    if (!location) return ArchiveResult<std::unique_ptr<Archive>>::failure(location.error());
    if (location->isOff())
        return ArchiveResult<std::unique_ptr<Archive>>::failure(
            QStringLiteral("le serveur a besoin d'une archive"));
    return Archive::open(*location, mode);
}

// One line of standard input, without its end.
QByteArray readLine() {
    QByteArray line;
    for (int c = std::fgetc(stdin); c != EOF && c != '\n'; c = std::fgetc(stdin))
        if (line.size() <= Passwords::kMaxLength) line.append(char(c));
    if (line.endsWith('\r')) line.chop(1);
    return line;
}

// From the terminal without echo, asked twice; otherwise the first line of standard input. Never an
// argument: it would be seen in the process list and the shell's history.
std::optional<QByteArray> readPassword(QString& error) {
    if (!isatty(STDIN_FILENO)) return readLine();
    termios saved{};
    tcgetattr(STDIN_FILENO, &saved);
    termios quiet = saved;
    quiet.c_lflag &= ~tcflag_t(ECHO);
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    serverPrint(stderr, QStringLiteral("Mot de passe : "));
    const QByteArray first = readLine();
    serverPrint(stderr, QStringLiteral("\nConfirmez le mot de passe : "));
    const QByteArray second = readLine();
    serverPrint(stderr, QStringLiteral("\n"));
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
    if (first != second) {
        error = QStringLiteral("les deux mots de passe diffèrent");
        return std::nullopt;
    }
    return first;
}

std::optional<qint64> idValue(const QString& text) {
    bool ok = false;
    const qint64 id = text.toLongLong(&ok);
    return ok && id > 0 ? std::optional<qint64>(id) : std::nullopt;
}

std::optional<QString> newPasswordHash(QString& error) {
    const auto password = readPassword(error);
    if (!password) return std::nullopt;
    if (const QString weak = Passwords::weakness(*password); !weak.isEmpty()) {
        error = weak;
        return std::nullopt;
    }
    const QString hash = Passwords::hash(*password);
    if (hash.isEmpty())
        error = QStringLiteral("le mot de passe n'a pas pu être chiffré (mémoire insuffisante)");
    return hash.isEmpty() ? std::nullopt : std::optional<QString>(hash);
}

int userAdd(const ServerArguments& parsed) {
    if (parsed.positional.size() != 2) return serverUsageError(QStringLiteral("user add attend un NOM"));
    const QString role = parsed.value(QStringLiteral("--role"));
    if (!parseUserRole(role))
        return serverUsageError(QStringLiteral("user add attend --role admin, operator ou venue"));
    auto archive = openArchive(parsed, ArchiveOpenMode::MustBeCurrent);
    if (!archive) return serverFailure(archive.error());
    QString error;
    const auto hash = newPasswordHash(error);
    if (!hash) return serverFailure(error);
    const auto id = ArchiveServerTables(**archive).addUser(parsed.positional.at(1), role, *hash);
    if (!id) return serverFailure(id.error());
    serverPrint(stdout, QStringLiteral("Utilisateur « %1 » créé (id %2, rôle %3).\n")
                            .arg(parsed.positional.at(1))
                            .arg(*id)
                            .arg(role));
    return 0;
}

// The account named, or the exit code of the failure.
std::variant<ServerUser, int> namedUser(ArchiveServerTables& tables, const ServerArguments& parsed) {
    const auto user = tables.user(parsed.positional.at(1));
    if (!user) return serverFailure(user.error());
    if (!*user)
        return serverFailure(QStringLiteral("utilisateur inconnu : « %1 »").arg(parsed.positional.at(1)));
    return **user;
}

int userGrant(const ServerArguments& parsed) {
    const auto venue = idValue(parsed.value(QStringLiteral("--venue")));
    if (parsed.positional.size() != 2 || !venue)
        return serverUsageError(QStringLiteral("user grant attend un NOM et --venue ID"));
    auto archive = openArchive(parsed, ArchiveOpenMode::MustBeCurrent);
    if (!archive) return serverFailure(archive.error());
    ArchiveServerTables tables(**archive);
    const auto user = namedUser(tables, parsed);
    if (const int* failed = std::get_if<int>(&user)) return *failed;
    if (const ArchiveStatus granted = tables.grant(std::get<ServerUser>(user).id, *venue); !granted)
        return serverFailure(granted.error());
    serverPrint(stdout, QStringLiteral("« %1 » voit le lieu %2 ; ses sessions ouvertes sont fermées.\n")
                            .arg(parsed.positional.at(1))
                            .arg(*venue));
    return 0;
}

int userPassword(const ServerArguments& parsed) {
    if (parsed.positional.size() != 2) return serverUsageError(QStringLiteral("user password attend un NOM"));
    auto archive = openArchive(parsed, ArchiveOpenMode::MustBeCurrent);
    if (!archive) return serverFailure(archive.error());
    ArchiveServerTables tables(**archive);
    const auto user = namedUser(tables, parsed);
    if (const int* failed = std::get_if<int>(&user)) return *failed;
    QString error;
    const auto hash = newPasswordHash(error);
    if (!hash) return serverFailure(error);
    if (const ArchiveStatus set = tables.setPassword(std::get<ServerUser>(user).id, *hash); !set)
        return serverFailure(set.error());
    serverPrint(stdout,
                QStringLiteral("Mot de passe de « %1 » changé ; ses sessions ouvertes sont fermées.\n")
                    .arg(parsed.positional.at(1)));
    return 0;
}
} // namespace

int migrateCommand(const QStringList& arguments) {
    const ServerArguments parsed = parseServerArguments(arguments, {QStringLiteral("--archive")});
    if (!parsed.error.isEmpty()) return serverUsageError(parsed.error);
    if (!parsed.positional.isEmpty())
        return serverUsageError(QStringLiteral("migrate ne prend que --archive"));
    auto archive = openArchive(parsed, ArchiveOpenMode::CreateIfMissing);
    if (!archive) return serverFailure(archive.error());
    serverPrint(stdout, QStringLiteral("Archive au schéma %1.\n").arg((*archive)->schemaVersion().text()));
    return 0;
}

int userCommand(const QStringList& arguments) {
    const ServerArguments parsed = parseServerArguments(
        arguments, {QStringLiteral("--archive"), QStringLiteral("--role"), QStringLiteral("--venue")});
    if (!parsed.error.isEmpty()) return serverUsageError(parsed.error);
    const QString verb = parsed.positional.value(0);
    if (verb == QLatin1String("add")) return userAdd(parsed);
    if (verb == QLatin1String("grant")) return userGrant(parsed);
    if (verb == QLatin1String("password")) return userPassword(parsed);
    return serverUsageError(QStringLiteral("user attend add, grant ou password"));
}

int tokenCommand(const QStringList& arguments) {
    const ServerArguments parsed =
        parseServerArguments(arguments, {QStringLiteral("--archive"), QStringLiteral("--device")});
    if (!parsed.error.isEmpty()) return serverUsageError(parsed.error);
    const QString verb = parsed.positional.value(0);
    if (verb == QLatin1String("add")) {
        const auto device = idValue(parsed.value(QStringLiteral("--device")));
        if (parsed.positional.size() != 1 || !device)
            return serverUsageError(QStringLiteral("token add attend --device ID"));
        auto archive = openArchive(parsed, ArchiveOpenMode::MustBeCurrent);
        if (!archive) return serverFailure(archive.error());
        const QByteArray secret = Secrets::randomText(32);
        const auto id = ArchiveServerTables(**archive).addToken(*device, Secrets::sha256Hex(secret),
                                                                QDateTime::currentSecsSinceEpoch());
        if (!id) return serverFailure(id.error());
        // Shown once: only its fingerprint is kept.
        serverPrint(stdout, QStringLiteral("vorl1_%1.%2\n").arg(*id).arg(QString::fromLatin1(secret)));
        serverPrint(
            stderr,
            QStringLiteral("Jeton %1 de l'appareil %2 : il ne sera plus affiché.\n").arg(*id).arg(*device));
        return 0;
    }
    if (verb == QLatin1String("revoke")) {
        const auto id = idValue(parsed.positional.value(1));
        if (parsed.positional.size() != 2 || !id)
            return serverUsageError(QStringLiteral("token revoke attend un ID"));
        auto archive = openArchive(parsed, ArchiveOpenMode::MustBeCurrent);
        if (!archive) return serverFailure(archive.error());
        if (const ArchiveStatus revoked =
                ArchiveServerTables(**archive).revokeToken(*id, QDateTime::currentSecsSinceEpoch());
            !revoked)
            return serverFailure(QStringLiteral("jeton inconnu ou déjà révoqué : %1").arg(*id));
        serverPrint(stdout, QStringLiteral("Jeton %1 révoqué.\n").arg(*id));
        return 0;
    }
    return serverUsageError(QStringLiteral("token attend add ou revoke"));
}
