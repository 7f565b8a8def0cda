#include "server/ServerApp.h"

#include "core/archive/Archive.h"

#include "server/AdminCommands.h"
#include "server/HttpServerAdapter.h"
#include "server/ListenAddress.h"
#include "server/ServerArguments.h"
#include "server/ServerConsole.h"
#include "server/ServerRoutes.h"
#include "server/auth/Passwords.h"
#include "server/auth/ServerAccess.h"

#include <QCoreApplication>
#include <QUrl>

void serverPrint(std::FILE* stream, const QString& text) {
    std::fputs(text.toUtf8().constData(), stream);
    std::fflush(stream);
}

int serverUsageError(const QString& message) {
    serverPrint(stderr, QStringLiteral("vorl-server : %1\nVoir « vorl-server --help ».\n").arg(message));
    return 2;
}

int serverFailure(const QString& message) {
    serverPrint(stderr, QStringLiteral("vorl-server : %1\n").arg(message));
    return 1;
}

namespace {
// An origin as browsers send it: scheme, host and port, nothing else.
bool isOrigin(const QString& text) {
    const QUrl url(text, QUrl::StrictMode);
    return url.isValid() &&
           (url.scheme() == QLatin1String("https") || url.scheme() == QLatin1String("http")) &&
           !url.host().isEmpty() && url.path().isEmpty() && !url.hasQuery() && !url.hasFragment() &&
           url.userInfo().isEmpty();
}

int serve(const QStringList& arguments) {
    const ServerArguments parsed =
        parseServerArguments(arguments, {QStringLiteral("--listen"), QStringLiteral("--archive"),
                                         QStringLiteral("--origin"), QStringLiteral("--workers")});
    if (!parsed.error.isEmpty()) return serverUsageError(parsed.error);
    if (!parsed.positional.isEmpty())
        return serverUsageError(
            QStringLiteral("option inconnue pour serve : « %1 »").arg(parsed.positional.first()));
    if (!parsed.has(QStringLiteral("--listen")))
        return serverUsageError(QStringLiteral("serve attend --listen ADRESSE:PORT"));
    const ListenAddressParse listen = parseListenAddress(parsed.value(QStringLiteral("--listen")));
    if (!listen.ok) return serverUsageError(listen.error);
    AccessSettings access;
    for (const QString& origin : parsed.options.value(QStringLiteral("--origin"))) {
        if (!isOrigin(origin))
            return serverUsageError(
                QStringLiteral("--origin attend une origine comme https://bruit.example.org : « %1 »")
                    .arg(origin));
        access.origins << origin;
    }
    int workers = 4;
    if (parsed.has(QStringLiteral("--workers"))) {
        bool ok = false;
        workers = parsed.value(QStringLiteral("--workers")).toInt(&ok);
        if (!ok || workers < 1 || workers > 64)
            return serverUsageError(QStringLiteral("--workers attend un nombre de 1 à 64"));
    }
    if (!Passwords::ready()) return serverFailure(QStringLiteral("libsodium n'a pas pu démarrer"));

    const auto location = ResolveArchiveLocation(parsed.value(QStringLiteral("--archive")));
    if (!location) return serverUsageError(location.error());
    if (location->isOff()) return serverUsageError(QStringLiteral("le serveur a besoin d'une archive"));
    // Checked once before listening, so that a wrong location or an archive to migrate is said at
    // start-up; each worker then opens its own connection. The server never changes the schema.
    if (const auto opened = Archive::open(*location, ArchiveOpenMode::MustBeCurrent); !opened)
        return serverFailure(opened.error());
    ServerBackend backend;
    backend.routes = serverRoutes();
    backend.gate = ServerAccess(access);
    backend.workers = workers;
    backend.openArchive = [location = *location] {
        return Archive::open(location, ArchiveOpenMode::MustBeCurrent);
    };
    HttpServerAdapter server(std::move(backend));
    QString error;
    if (!server.listen(listen.address, &error)) return serverFailure(error);
    const QString host = listen.address.host.protocol() == QAbstractSocket::IPv6Protocol
                             ? QStringLiteral("[%1]").arg(listen.address.host.toString())
                             : listen.address.host.toString();
    serverPrint(stdout,
                QStringLiteral("vorl-server écoute sur http://%1:%2/\n").arg(host).arg(server.port()));
    return QCoreApplication::exec();
}
} // namespace

QString serverHelpText() {
    return QStringLiteral(
        "Utilisation : vorl-server COMMANDE [OPTIONS]\n"
        "\n"
        "Serveur web de l'archive des téléchargements. Chaque commande prend --archive EMPLACEMENT\n"
        "comme vorl-cli (sinon VORL_ARCHIVE ou l'archive par défaut).\n"
        "\n"
        "Commandes :\n"
        "  serve --listen ADRESSE:PORT [--origin URL]... [--workers N]\n"
        "      Sert les pages et l'API sur une adresse de bouclage seulement (127.0.0.1, [::1] ou\n"
        "      localhost) ; un frontal TLS la publie. --origin : l'adresse publique du site, comme\n"
        "      https://bruit.example.org (par défaut, celle que le frontal transmet). --workers :\n"
        "      requêtes traitées à la fois (4). N'accepte qu'une archive au schéma de ce programme.\n"
        "  migrate\n"
        "      Met l'archive au schéma de ce programme (sous le rôle propriétaire de l'archive).\n"
        "  user add NOM --role admin|operator|venue\n"
        "      Crée un compte ; le mot de passe est lu sur l'entrée standard ou au terminal.\n"
        "  user grant NOM --venue ID\n"
        "      Donne à un compte « venue » l'accès à un lieu.\n"
        "  user password NOM\n"
        "      Change le mot de passe d'un compte (lu comme pour user add).\n"
        "  token add --device ID\n"
        "      Crée un jeton d'envoi pour le PC d'un appareil et l'affiche une seule fois.\n"
        "  token revoke ID\n"
        "      Révoque un jeton.\n"
        "\n"
        "Options :\n"
        "  --help       Affiche cette aide.\n"
        "  --version    Affiche la version.\n"
        "\n"
        "Codes de sortie : 0 terminé, 1 échec, 2 mauvaise utilisation.\n");
}

int runServer(const QStringList& arguments) {
    if (arguments.isEmpty()) return serverUsageError(QStringLiteral("commande manquante"));
    const QString& command = arguments.first();
    if (command == QLatin1String("--help") || command == QLatin1String("-h")) {
        serverPrint(stdout, serverHelpText());
        return 0;
    }
    if (command == QLatin1String("--version")) {
        serverPrint(stdout, QStringLiteral("vorl-server " VORL_VERSION "\n"));
        return 0;
    }
    if (!Passwords::ready()) return serverFailure(QStringLiteral("libsodium n'a pas pu démarrer"));
    const QStringList rest = arguments.mid(1);
    if (command == QLatin1String("serve")) return serve(rest);
    if (command == QLatin1String("migrate")) return migrateCommand(rest);
    if (command == QLatin1String("user")) return userCommand(rest);
    if (command == QLatin1String("token")) return tokenCommand(rest);
    return serverUsageError(QStringLiteral("commande inconnue : « %1 »").arg(command));
}
