#include "server/ServerApp.h"

#include "core/archive/Archive.h"

#include "server/HttpServerAdapter.h"
#include "server/ListenAddress.h"
#include "server/ServerRoutes.h"

#include <QCoreApplication>
#include <QTextStream>
#include <cstdio>

namespace {
void print(std::FILE* stream, const QString& text) {
    std::fputs(text.toUtf8().constData(), stream);
    std::fflush(stream);
}

int usageError(const QString& message) {
    print(stderr, QStringLiteral("vorl-server : %1\nVoir « vorl-server --help ».\n").arg(message));
    return 2;
}

// The value of "--name VALUE" or "--name=VALUE" at arguments[index]; advances index past it.
bool takeValue(const QStringList& arguments, qsizetype& index, const QString& name, QString& value,
               QString& error) {
    const QString& argument = arguments.at(index);
    if (argument.startsWith(name + QLatin1Char('='))) {
        value = argument.mid(name.size() + 1);
        return true;
    }
    if (index + 1 >= arguments.size()) {
        error = QStringLiteral("l'option %1 attend une valeur").arg(name);
        return false;
    }
    value = arguments.at(++index);
    return true;
}

int serve(const QStringList& arguments) {
    QString listen;
    QString archive;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        QString error;
        if (argument == QLatin1String("--listen") || argument.startsWith(QLatin1String("--listen="))) {
            if (!takeValue(arguments, i, QStringLiteral("--listen"), listen, error)) return usageError(error);
        } else if (argument == QLatin1String("--archive") ||
                   argument.startsWith(QLatin1String("--archive="))) {
            if (!takeValue(arguments, i, QStringLiteral("--archive"), archive, error))
                return usageError(error);
            if (archive.trimmed().isEmpty())
                return usageError(QStringLiteral("--archive attend un emplacement"));
        } else {
            return usageError(QStringLiteral("option inconnue pour serve : « %1 »").arg(argument));
        }
    }
    if (listen.isEmpty()) return usageError(QStringLiteral("serve attend --listen ADRESSE:PORT"));
    const ListenAddressParse parsed = parseListenAddress(listen);
    if (!parsed.ok) return usageError(parsed.error);

    const auto location = ResolveArchiveLocation(archive);
    if (!location) return usageError(location.error());
    if (location->isOff()) return usageError(QStringLiteral("le serveur a besoin d'une archive"));
    // Checked once before listening, so that a wrong location is said at start-up; each worker then
    // opens its own connection.
    if (const auto opened = Archive::open(*location, ArchiveOpenMode::MustExist); !opened) {
        print(stderr, QStringLiteral("vorl-server : %1\n").arg(opened.error()));
        return 1;
    }
    ServerBackend backend;
    backend.routes = serverRoutes();
    backend.openArchive = [location = *location] {
        return Archive::open(location, ArchiveOpenMode::MustExist);
    };
    HttpServerAdapter server(std::move(backend));
    QString error;
    if (!server.listen(parsed.address, &error)) {
        print(stderr, QStringLiteral("vorl-server : %1\n").arg(error));
        return 1;
    }
    const QString host = parsed.address.host.protocol() == QAbstractSocket::IPv6Protocol
                             ? QStringLiteral("[%1]").arg(parsed.address.host.toString())
                             : parsed.address.host.toString();
    print(stdout,
          QStringLiteral("vorl-server écoute sur http://%1:%2/\n").arg(host).arg(parsed.address.port));
    return QCoreApplication::exec();
}
} // namespace

QString serverHelpText() {
    return QStringLiteral(
        "Utilisation : vorl-server COMMANDE [OPTIONS]\n"
        "\n"
        "Serveur web de l'archive des téléchargements.\n"
        "\n"
        "Commandes :\n"
        "  serve --listen ADRESSE:PORT [--archive EMPLACEMENT]\n"
        "      Sert l'API sur une adresse de bouclage seulement (127.0.0.1, [::1] ou localhost) ;\n"
        "      un frontal TLS la publie. GET /api/v1/health répond si le serveur tourne.\n"
        "\n"
        "Options :\n"
        "  --help       Affiche cette aide.\n"
        "  --version    Affiche la version.\n"
        "\n"
        "Codes de sortie : 0 terminé, 1 échec (adresse occupée), 2 mauvaise utilisation.\n");
}

int runServer(const QStringList& arguments) {
    if (arguments.isEmpty()) return usageError(QStringLiteral("commande manquante"));
    const QString& command = arguments.first();
    if (command == QLatin1String("--help") || command == QLatin1String("-h")) {
        print(stdout, serverHelpText());
        return 0;
    }
    if (command == QLatin1String("--version")) {
        print(stdout, QStringLiteral("vorl-server " VORL_VERSION "\n"));
        return 0;
    }
    if (command == QLatin1String("serve")) return serve(arguments.mid(1));
    return usageError(QStringLiteral("commande inconnue : « %1 »").arg(command));
}
