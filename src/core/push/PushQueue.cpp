#include "core/push/PushQueue.h"

#include "core/files/OutputTarget.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>

namespace {
const QString kSuffix = QStringLiteral(".push");

// NUMBER-NAME.push; a checked writer's temporary file left by a crash ("….push.AbC123") is not one.
const QRegularExpression& entryPattern() {
    static const QRegularExpression pattern(QStringLiteral("^(\\d{1,18})-(.*)\\.push$"));
    return pattern;
}

qint64 entryNumber(const QString& fileName) {
    const auto match = entryPattern().match(fileName);
    return match.hasMatch() ? match.captured(1).toLongLong() : -1;
}

QStringList entriesOf(const QString& folder) {
    QStringList names = QDir(folder).entryList(QDir::Files | QDir::NoDotAndDotDot);
    names.erase(
        std::remove_if(names.begin(), names.end(), [](const QString& n) { return entryNumber(n) < 0; }),
        names.end());
    return names;
}

// Letters, digits and ". _ -" only: the name is shown and kept on disk, whatever the original held.
QString safeName(const QString& fileName) {
    QString name = QFileInfo(fileName).fileName().left(100);
    for (QChar& c : name)
        if (!c.isLetterOrNumber() && c != QLatin1Char('.') && c != QLatin1Char('_') && c != QLatin1Char('-'))
            c = QLatin1Char('_');
    return name.isEmpty() ? QStringLiteral("fichier") : name;
}

bool makePrivateFolder(const QString& path, QString& reason) {
    if (!QDir().mkpath(path) || !QFileInfo(path).isDir()) {
        reason = QStringLiteral("Le dossier d'attente %1 ne peut pas être créé.").arg(path);
        return false;
    }
    // The pending files are the user's measurements.
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return true;
}
} // namespace

PushQueue::PushQueue(QString folder) : m_folder(std::move(folder)) {}
PushQueue::~PushQueue() = default;

QString PushQueue::defaultFolder() {
    // A relative XDG_STATE_HOME is to be ignored, as the base directory rules say.
    QString base = qEnvironmentVariable("XDG_STATE_HOME");
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = QDir::homePath() + QStringLiteral("/.local/state");
    return base + QStringLiteral("/vorl-analyser/push");
}

QString PushQueue::pendingFolder() const {
    return m_folder + QStringLiteral("/pending");
}
QString PushQueue::refusedFolder() const {
    return m_folder + QStringLiteral("/refused");
}

bool PushQueue::open(QString& reason) {
    if (!makePrivateFolder(m_folder, reason) || !makePrivateFolder(pendingFolder(), reason) ||
        !makePrivateFolder(refusedFolder(), reason))
        return false;
    m_lock = std::make_unique<QLockFile>(m_folder + QStringLiteral("/lock"));
    // A lock left by a run that died is taken over (QLockFile checks its process).
    if (m_lock->tryLock(0)) return true;
    reason = m_lock->error() == QLockFile::LockFailedError
                 ? QStringLiteral("Un autre envoi utilise déjà le dossier d'attente %1 ; réessayez quand il "
                                  "sera terminé.")
                       .arg(m_folder)
                 : QStringLiteral("Le dossier d'attente %1 ne peut pas être verrouillé.").arg(m_folder);
    m_lock.reset();
    return false;
}

qint64 PushQueue::nextNumber() const {
    qint64 last = 0;
    for (const QString& folder : {pendingFolder(), refusedFolder()})
        for (const QString& name : entriesOf(folder))
            last = qMax(last, entryNumber(name));
    return last + 1;
}

QString PushQueue::add(const QByteArray& bytes, const QString& fileName, QString& reason) {
    const QString entry = QStringLiteral("%1/%2-%3%4")
                              .arg(pendingFolder())
                              .arg(nextNumber(), 8, 10, QLatin1Char('0'))
                              .arg(safeName(fileName), kSuffix);
    QString why;
    if (!writeFileReplacing(entry, bytes, why)) {
        reason = QStringLiteral("il ne peut pas être mis en attente dans %1 : %2").arg(pendingFolder(), why);
        return {};
    }
    return entry;
}

QStringList PushQueue::pending() const {
    QStringList names = entriesOf(pendingFolder());
    std::sort(names.begin(), names.end(),
              [](const QString& a, const QString& b) { return entryNumber(a) < entryNumber(b); });
    QStringList entries;
    for (const QString& name : names)
        entries << pendingFolder() + QLatin1Char('/') + name;
    return entries;
}

bool PushQueue::remove(const QString& entry, QString& reason) {
    QFile file(entry);
    if (file.remove()) return true;
    reason = file.errorString();
    return false;
}

bool PushQueue::refuse(const QString& entry, QString& reason) {
    const QString target = refusedFolder() + QLatin1Char('/') + QFileInfo(entry).fileName();
    // Numbers are never given twice, so the name is free unless a file was put back by hand.
    if (QFileInfo::exists(target)) QFile::remove(target);
    QFile file(entry);
    if (file.rename(target)) return true;
    reason = file.errorString();
    return false;
}

QString PushQueue::entryName(const QString& entry) {
    const auto match = entryPattern().match(QFileInfo(entry).fileName());
    return match.hasMatch() ? match.captured(2) : QFileInfo(entry).fileName();
}
