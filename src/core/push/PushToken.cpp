#include "core/push/PushToken.h"

#include <QFile>
#include <QFileInfo>
#include <unistd.h>

namespace {
// A token is a short line; a longer file is not a token file.
constexpr qint64 kLongestTokenFile = 4096;

// Only visible ASCII: anything else would be refused by the server, or end the header line early.
QString tokenProblem(const QByteArray& token, const QString& source) {
    if (token.isEmpty())
        return QStringLiteral("%1 est vide : aucun jeton à présenter au serveur.").arg(source);
    for (const char c : token)
        if (c < 0x21 || c > 0x7e)
            return QStringLiteral("%1 ne contient pas un jeton sur une seule ligne (caractère invalide).")
                .arg(source);
    return {};
}

PushToken checked(const QByteArray& token, const QString& source) {
    const QString problem = tokenProblem(token, source);
    return {problem.isEmpty() ? token : QByteArray(), problem};
}
} // namespace

PushToken ReadPushToken(const QString& tokenFile, const QByteArray& environment) {
    if (tokenFile.isEmpty()) {
        if (environment.isEmpty())
            return {{},
                    QStringLiteral("Aucun jeton : donnez-le dans la variable VORL_TOKEN ou dans un fichier "
                                   "nommé par --token-file.")};
        const QByteArray token = environment.trimmed();
        return checked(token, QStringLiteral("La variable VORL_TOKEN"));
    }
    const QString source = QStringLiteral("Le fichier de jeton %1").arg(tokenFile);
    const QFileInfo info(tokenFile);
    if (!info.exists()) return {{}, QStringLiteral("%1 n'existe pas.").arg(source)};
    // A FIFO would block the reading; a folder or a device holds no token.
    if (!info.isFile()) return {{}, QStringLiteral("%1 n'est pas un fichier ordinaire.").arg(source)};
    const QFileDevice::Permissions others = QFileDevice::ReadGroup | QFileDevice::WriteGroup |
                                            QFileDevice::ExeGroup | QFileDevice::ReadOther |
                                            QFileDevice::WriteOther | QFileDevice::ExeOther;
    if (info.permissions() & others)
        return {
            {},
            QStringLiteral("%1 est accessible à d'autres utilisateurs que son propriétaire : retirez-leur "
                           "tout droit (chmod 600 %2).")
                .arg(source, tokenFile)};
    if (info.ownerId() != ::getuid())
        return {{}, QStringLiteral("%1 appartient à un autre utilisateur.").arg(source)};
    if (info.size() > kLongestTokenFile)
        return {{}, QStringLiteral("%1 est trop long pour un jeton.").arg(source)};
    QFile file(tokenFile);
    if (!file.open(QIODevice::ReadOnly))
        return {{}, QStringLiteral("%1 ne peut pas être lu : %2.").arg(source, file.errorString())};
    const QByteArray token = file.read(kLongestTokenFile + 1).trimmed();
    return checked(token, source);
}

QString WithoutToken(QString text, const QByteArray& token) {
    if (!token.isEmpty()) text.replace(QString::fromLatin1(token), QStringLiteral("***"));
    return text;
}
