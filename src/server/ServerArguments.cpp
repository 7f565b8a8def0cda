#include "server/ServerArguments.h"

ServerArguments parseServerArguments(const QStringList& words, const QSet<QString>& valued) {
    ServerArguments parsed;
    for (qsizetype i = 0; i < words.size(); ++i) {
        const QString& word = words.at(i);
        if (!word.startsWith(QLatin1String("--"))) {
            parsed.positional << word;
            continue;
        }
        const qsizetype equals = word.indexOf(QLatin1Char('='));
        const QString name = equals < 0 ? word : word.left(equals);
        if (!valued.contains(name)) {
            parsed.error = QStringLiteral("option inconnue : « %1 »").arg(name);
            return parsed;
        }
        QString value;
        if (equals >= 0) {
            value = word.mid(equals + 1);
        } else if (i + 1 < words.size()) {
            value = words.at(++i);
        } else {
            parsed.error = QStringLiteral("l'option %1 attend une valeur").arg(name);
            return parsed;
        }
        if (value.trimmed().isEmpty()) {
            parsed.error = QStringLiteral("l'option %1 attend une valeur").arg(name);
            return parsed;
        }
        parsed.options[name] << value;
    }
    return parsed;
}
