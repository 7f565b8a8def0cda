#pragma once

#include "core/push/PushTransport.h"

#include <QDateTime>
#include <QString>

// What one answer of the server means for the file that was sent.
enum class PushAction {
    Accepted, // archived now or before: the file leaves the queue
    Retry,    // busy, down or out of reach: worth another try soon
    Refused,  // the server will not take this file: it goes to refused/
    Held,     // not the file's fault (a bad token, an answer that is not the server's): it stays pending
};

struct PushAnswer {
    PushAction action = PushAction::Held;
    // Whether the files after this one wait too: the trouble is with the server or the token, not
    // with this one file.
    bool stopsQueue = false;
    // Accepted
    bool alreadyArchived = false;
    qint64 newLevels = 0, newEvents = 0, newParams = 0;
    QDateTime coversFrom, coversTo; // invalid when the server did not say
    // Retry: the wait the server asked for (Retry-After), -1 when it gave none
    qint64 retryAfterMs = -1;
    // Why it was not accepted, in French, for the result line ("le serveur est indisponible (HTTP 503)")
    QString reason;
};

// Reads an answer. An answer is taken as an acceptance only when it is the server's own (201 or 200
// with its JSON saying archived or already_archived): a proxy's or another web server's "200" must
// never take a file out of the queue.
PushAnswer ReadPushAnswer(const PushReply& reply);
