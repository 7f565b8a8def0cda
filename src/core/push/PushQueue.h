#pragma once

#include <QByteArray>
#include <QLockFile>
#include <QString>
#include <QStringList>
#include <memory>

// The files waiting to be sent, kept on disk so that a download that could not be sent tonight goes
// tomorrow: FOLDER/pending/ holds them in the order they came, FOLDER/refused/ those the server turned
// down (to be looked at, and moved back by hand once the cause is mended). Each entry is named
// "NUMBER-NAME.push": the number keeps the order whatever the clock does, NAME is the file's own name
// made safe, for the result lines.
class PushQueue {
public:
    explicit PushQueue(QString folder);
    ~PushQueue();

    // $XDG_STATE_HOME/vorl-analyser/push, else ~/.local/state/vorl-analyser/push.
    static QString defaultFolder();

    // Creates the folders (private to the user) and takes the queue for this run, so that two runs
    // never send or number the same entry; false with the reason in French.
    bool open(QString& reason);

    // Adds a file's bytes at the back of the queue through the checked writer; the entry's path, or an
    // empty one with the reason.
    QString add(const QByteArray& bytes, const QString& fileName, QString& reason);
    // The entries waiting, oldest first.
    QStringList pending() const;
    // The entry was accepted: it leaves the queue.
    bool remove(const QString& entry, QString& reason);
    // The entry was refused: it moves to refused/.
    bool refuse(const QString& entry, QString& reason);

    QString pendingFolder() const;
    QString refusedFolder() const;
    // The file name an entry stands for.
    static QString entryName(const QString& entry);

private:
    qint64 nextNumber() const;

    QString m_folder;
    std::unique_ptr<QLockFile> m_lock;
};
