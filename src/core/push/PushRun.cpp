#include "core/push/PushRun.h"

#include "core/platform/Clock.h"
#include "core/push/PushToken.h"

#include <QFile>
#include <algorithm>

namespace {
QString plural(qint64 count, const char* one, const char* many) {
    return QStringLiteral("%1 %2").arg(count).arg(QString::fromUtf8(count > 1 ? many : one));
}

PushHeaders headersFor(const QByteArray& token) {
    return {{"Authorization", "Bearer " + token},
            {"Content-Type", "application/octet-stream"},
            {"Accept", "application/json"}};
}

// One file, tried again while the server is busy or out of reach and the policy allows a wait.
PushAnswer sendOne(const QByteArray& bytes, PushTransport& transport, Clock& clock,
                   const PushSettings& settings, qint64& waitBudgetMs, const QString& name,
                   const std::function<void(const QString&)>& progress) {
    const PushRetryPolicy& policy = settings.retry;
    qint64 backoffMs = policy.firstDelayMs;
    for (int attempt = 1;; ++attempt) {
        if (progress) progress(QStringLiteral("sending %1 to %2").arg(name, settings.endpoint.host()));
        PushAnswer answer =
            ReadPushAnswer(transport.post(settings.endpoint, headersFor(settings.token), bytes));
        if (answer.action != PushAction::Retry) return answer;
        const qint64 delayMs = answer.retryAfterMs >= 0 ? answer.retryAfterMs : backoffMs;
        backoffMs *= 2;
        if (attempt >= policy.attempts) return answer;
        // A wait the server asks for is honoured or not waited at all: an earlier try would be refused.
        if (delayMs > policy.longestWaitMs || delayMs > waitBudgetMs) {
            if (answer.retryAfterMs >= 0)
                answer.reason +=
                    QStringLiteral(", nouvel essai demandé dans %1 s").arg((delayMs + 999) / 1000);
            return answer;
        }
        if (progress)
            progress(QStringLiteral("%1: trying again in %2 s (%3)")
                         .arg(name)
                         .arg((delayMs + 999) / 1000)
                         .arg(answer.reason));
        waitBudgetMs -= delayMs;
        clock.sleep(delayMs);
    }
}
} // namespace

bool PushRunResult::allAccepted() const {
    return std::all_of(files.begin(), files.end(), [](const PushFileOutcome& f) { return f.accepted(); });
}

QString AcceptedText(const PushAnswer& answer) {
    if (answer.alreadyArchived) return QStringLiteral("déjà archivé");
    QString text = QStringLiteral("archivé : %1, %2, %3")
                       .arg(plural(answer.newLevels, "nouveau niveau", "nouveaux niveaux"),
                            plural(answer.newEvents, "nouvel événement", "nouveaux événements"),
                            plural(answer.newParams, "nouveau paramètre", "nouveaux paramètres"));
    if (answer.coversFrom.isValid() && answer.coversTo.isValid())
        text += QStringLiteral(", du %1 au %2")
                    .arg(answer.coversFrom.toString(QStringLiteral("dd/MM/yyyy hh:mm")),
                         answer.coversTo.toString(QStringLiteral("dd/MM/yyyy hh:mm")));
    return text;
}

PushRunResult SendPushQueue(PushQueue& queue, PushTransport& transport, Clock& clock,
                            const PushSettings& settings,
                            const std::function<void(const QString&)>& progress) {
    PushRunResult result;
    qint64 waitBudgetMs = settings.retry.totalWaitMs;
    QString stoppedBy; // the name of the file whose answer stopped the queue
    for (const QString& entry : queue.pending()) {
        PushFileOutcome outcome{entry, PushQueue::entryName(entry), PushAction::Held, {}};
        if (!stoppedBy.isEmpty()) {
            outcome.text = QStringLiteral("en attente : non envoyé après l'échec de %1").arg(stoppedBy);
            result.files.push_back(outcome);
            continue;
        }
        QFile file(entry);
        if (!file.open(QIODevice::ReadOnly)) {
            outcome.text = QStringLiteral("en attente : le fichier d'attente ne peut pas être lu : %1")
                               .arg(file.errorString());
            result.files.push_back(outcome);
            continue;
        }
        const QByteArray bytes = file.readAll();
        file.close();
        const PushAnswer answer =
            sendOne(bytes, transport, clock, settings, waitBudgetMs, outcome.name, progress);
        // The server's words are printed: never with the token in them, whatever a server echoes.
        const QString reason = WithoutToken(answer.reason, settings.token);
        QString why;
        switch (answer.action) {
        case PushAction::Accepted:
            outcome.text = AcceptedText(answer);
            // Left behind, it is sent again next time and answered "already archived": no harm.
            if (!queue.remove(entry, why))
                outcome.text += QStringLiteral(" (reste dans la file d'attente : %1)").arg(why);
            break;
        case PushAction::Refused:
            outcome.text = QStringLiteral("refusé : %1").arg(reason);
            if (!queue.refuse(entry, why))
                outcome.text += QStringLiteral(" (reste dans la file d'attente : %1)").arg(why);
            break;
        case PushAction::Retry:
        case PushAction::Held:
            outcome.text = QStringLiteral("en attente : %1").arg(reason);
            break;
        }
        outcome.action = answer.action;
        if (answer.stopsQueue) stoppedBy = outcome.name;
        result.files.push_back(outcome);
    }
    return result;
}
