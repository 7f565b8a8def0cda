#pragma once

#include "core/push/PushAnswer.h"
#include "core/push/PushQueue.h"
#include "core/push/PushTransport.h"

#include <QUrl>
#include <functional>
#include <vector>

class Clock;

// How long a run keeps trying a server that is busy or out of reach. A run is often a night job: it
// gives up after a short while and leaves the files for the next one.
struct PushRetryPolicy {
    int attempts = 4;             // tries of one file
    qint64 firstDelayMs = 2000;   // doubled at each try when the server did not say how long to wait
    qint64 longestWaitMs = 30000; // a server asking for more is left for the next run
    qint64 totalWaitMs = 60000;   // every wait of the run together
};

struct PushSettings {
    QUrl endpoint;
    QByteArray token;
    PushRetryPolicy retry;
};

// What became of one queued file: its result line and whether it left the queue.
struct PushFileOutcome {
    QString entry; // the queue file
    QString name;  // the file it stands for
    PushAction action = PushAction::Held;
    QString text; // the French result ("archivé : …", "déjà archivé", "refusé : …", "en attente : …")
    bool accepted() const { return action == PushAction::Accepted; }
};

struct PushRunResult {
    std::vector<PushFileOutcome> files; // every queued file, in the order of the queue
    bool allAccepted() const;
};

// Sends every pending file, oldest first. An accepted file leaves the queue; a refused one goes to
// refused/ and the run goes on with the next, unless the refusal was not about that file alone. A
// server busy or out of reach is tried again after the wait it asked for (or a growing one), within
// the policy's limits; then that file and every later one wait for the next run. Waits sleep on the
// clock. `progress` gets a note for each try (English, for standard error).
PushRunResult SendPushQueue(PushQueue& queue, PushTransport& transport, Clock& clock,
                            const PushSettings& settings,
                            const std::function<void(const QString&)>& progress = {});

// The result line of an accepted answer: "archivé : 3 nouveaux niveaux, …" or "déjà archivé".
QString AcceptedText(const PushAnswer& answer);
