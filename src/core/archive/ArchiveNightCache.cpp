// The night verdicts the archive keeps for the coverage calendar. A verdict is kept under the key of
// the downloads its night rests on: an import that touches the night changes the key, so the old row is
// simply never read again and the night is judged anew. Rows are only ever added, which a PC's role
// (insert and read only) may do.
#include "core/archive/Archive.h"
#include "core/archive/ArchiveDatabase.h"
#include "core/archive/ArchiveRecords.h"
#include "core/archive/ArchiveValidation.h"
#include "core/compliance/ComplianceAnalysis.h"

#include <QCryptographicHash>
#include <QSqlError>
#include <QSqlQuery>
#include <algorithm>
#include <limits>
#include <map>
#include <tuple>

namespace {

QString readFailure(ArchiveDatabase& db) {
    return QStringLiteral("Lecture de l'archive impossible : ") + db.lastError();
}

bool cutShort(const QSqlQuery& query) {
    return query.lastError().type() != QSqlError::NoError;
}

constexpr int64_t kNoStamp = std::numeric_limits<int64_t>::max();

// A download as a night's key names it: its content and transfer (what makes it that download, even
// if an id were ever given again), and the earliest stamp of anything it brought (its coverage, the
// events and parameter changes it was the first to bring).
struct KeyedDownload {
    int64_t first = kNoStamp;
    bool covers = false; // has a coverage starting at `first` or before
    qint64 id = 0;
    QByteArray text;
};

// The night is judged from the records up to noon two days after its day (the next night's records
// too, which its last windows read) and the coverage up to that midnight: what begins later cannot
// change it.
int64_t judgedEnd(const QDate& night) {
    return Stamp::dayStart(night.addDays(3));
}

// A night stamp: noon of its day.
int64_t nightStamp(const QDate& night) {
    return Stamp::of(night.year() - 2000, night.month(), night.day(), 12, 0);
}

bool isVerdictCode(const QString& code) {
    for (Verdict v :
         {Verdict::Certain, Verdict::Possible, Verdict::Compliant, Verdict::Incomplete, Verdict::None})
        if (VerdictCode(v) == code) return true;
    return false;
}

// A night with a window over the limit, which has episodes.
bool nightWentOver(const QString& code) {
    return code == VerdictCode(Verdict::Certain) || code == VerdictCode(Verdict::Possible);
}

bool isPresetKey(const QString& key) {
    if (key.isEmpty()) return true;
    for (const CompliancePreset& preset : CompliancePresets())
        if (preset.key == key) return true;
    return false;
}

} // namespace

ArchiveResult<std::vector<NightCacheEntry>> Archive::nightVerdictCache(qint64 deviceId, const QDate& from,
                                                                       const QDate& to, int model) {
    using Result = ArchiveResult<std::vector<NightCacheEntry>>;
    if (!from.isValid() || !to.isValid() || from > to || from.year() < 2000 || to.year() > 2098)
        return Result::failure(QStringLiteral("Période invalide."));
    ArchiveReadTransaction read(*m_db);
    if (!read.ok()) return Result::failure(readFailure(*m_db));
    if (const auto known = deviceGeneration(deviceId); !known) return Result::failure(known.error());
    if (const ArchiveStatus covers = ArchiveCheck::downloadCovers(*m_db, deviceId); !covers)
        return Result::failure(covers.error());

    QSqlQuery query(m_db->db());
    query.setForwardOnly(true);
    auto run = [&](const QString& sql, const QVariantList& values) {
        return m_db->execPrepared(query, sql, values);
    };
    std::map<qint64, KeyedDownload> downloads;
    if (!run(
            QStringLiteral("SELECT id, sha256, transfer_date, transfer_time, cover_from FROM downloads WHERE "
                           "device_id = ?"),
            {deviceId}))
        return Result::failure(readFailure(*m_db));
    while (query.next()) {
        if (!ArchiveCheck::isSha256(query.value(1)) || !ArchiveCheck::isTransferText(query.value(2)) ||
            !ArchiveCheck::isTransferText(query.value(3)))
            return Result::failure(ArchiveCheck::damaged(
                QStringLiteral("downloads"), QStringLiteral("id ") + ArchiveCheck::shown(query.value(0)),
                QStringLiteral("identité illisible")));
        KeyedDownload d;
        d.id = query.value(0).toLongLong();
        d.text = (QString::number(d.id) + QLatin1Char(' ') + query.value(1).toString() + QLatin1Char(' ') +
                  query.value(2).toString() + QLatin1Char(' ') + query.value(3).toString().left(5) +
                  QLatin1Char('\n'))
                     .toLatin1();
        if (!query.value(4).isNull()) {
            d.first = query.value(4).toLongLong(); // checked by downloadCovers
            d.covers = true;
        }
        downloads[d.id] = d;
    }
    if (cutShort(query)) return Result::failure(readFailure(*m_db));
    // Events and parameter changes may begin before a download's first level.
    for (const auto& [table, valid] :
         {std::pair{QStringLiteral("events"), ArchiveCheck::validEventRowSql(m_db->isSqlite())},
          std::pair{QStringLiteral("param_changes"), ArchiveCheck::validChangeRowSql(m_db->isSqlite())}}) {
        if (!run(QStringLiteral("SELECT download_id, min(stamp) FROM %1 WHERE device_id = ? AND %2 GROUP BY "
                                "download_id")
                     .arg(table, valid),
                 {deviceId}))
            return Result::failure(readFailure(*m_db));
        while (query.next()) {
            const auto it = downloads.find(query.value(0).toLongLong());
            if (it != downloads.end())
                it->second.first = std::min<int64_t>(it->second.first, query.value(1).toLongLong());
        }
        if (cutShort(query)) return Result::failure(readFailure(*m_db));
    }
    std::vector<KeyedDownload> ordered;
    for (const auto& [id, d] : downloads)
        ordered.push_back(d);
    std::sort(ordered.begin(), ordered.end(), [](const KeyedDownload& a, const KeyedDownload& b) {
        return std::tie(a.first, a.id) < std::tie(b.first, b.id);
    });

    // The kept verdicts of the nights, several keys per night once imports touched it.
    std::multimap<qint64, std::pair<QString, NightCacheEntry>> kept; // night stamp: sources, row
    if (!run(QStringLiteral(
                 "SELECT night, preset, sources, verdict FROM night_verdicts WHERE device_id = ? AND "
                 "model = ? AND night BETWEEN ? AND ?"),
             {deviceId, model, qint64(nightStamp(from)), qint64(nightStamp(to))}))
        return Result::failure(readFailure(*m_db));
    while (query.next()) {
        // A row no program could have written is not taken: the night is judged again.
        const auto night = ArchiveCheck::stamp(query.value(0));
        const QVariant preset = query.value(1), sources = query.value(2), verdict = query.value(3);
        if (!night || !ArchiveCheck::isCalendarDay(*night) || preset.typeId() != QMetaType::QString ||
            !isPresetKey(preset.toString()) || !ArchiveCheck::isSha256(sources) ||
            verdict.typeId() != QMetaType::QString || !isVerdictCode(verdict.toString()))
            continue;
        NightCacheEntry row;
        row.kept = true;
        row.preset = preset.toString();
        row.verdict = verdict.toString();
        kept.emplace(*night, std::pair{sources.toString(), row});
    }
    if (cutShort(query)) return Result::failure(readFailure(*m_db));
    // Their episodes, under the same keys.
    std::map<std::tuple<qint64, QString, QString>, std::pair<int, int>> episodes; // night, preset, sources
    if (!run(QStringLiteral("SELECT night, preset, sources, certain, possible FROM night_episodes WHERE "
                            "device_id = ? AND model = ? AND night BETWEEN ? AND ?"),
             {deviceId, model, qint64(nightStamp(from)), qint64(nightStamp(to))}))
        return Result::failure(readFailure(*m_db));
    while (query.next()) {
        const auto night = ArchiveCheck::stamp(query.value(0));
        // A night has fewer episodes than minutes.
        const auto certain = ArchiveCheck::integer(query.value(3), 0, 1440);
        const auto possible = ArchiveCheck::integer(query.value(4), 0, 1440);
        if (!night || query.value(1).typeId() != QMetaType::QString ||
            !ArchiveCheck::isSha256(query.value(2)) || !certain || !possible)
            continue;
        episodes[{*night, query.value(1).toString(), query.value(2).toString()}] = {int(*certain),
                                                                                    int(*possible)};
    }
    if (cutShort(query)) return Result::failure(readFailure(*m_db));

    std::vector<NightCacheEntry> nights;
    std::size_t count = 0;
    QByteArray prefix; // the keys of ordered[0, count)
    bool anyCover = false;
    for (QDate day = from; day <= to; day = day.addDays(1)) {
        const int64_t end = judgedEnd(day);
        while (count < ordered.size() && ordered[count].first < end) {
            prefix += ordered[count].text;
            anyCover = anyCover || ordered[count].covers;
            ++count;
        }
        // A night before every coverage takes the parameters of the first download after it: any import
        // may change them.
        QByteArray named = prefix;
        if (!anyCover)
            for (std::size_t i = count; i < ordered.size(); ++i)
                named += ordered[i].text;
        NightCacheEntry entry;
        entry.night = day;
        entry.sources =
            QString::fromLatin1(QCryptographicHash::hash(named, QCryptographicHash::Sha256).toHex());
        const auto [first, last] = kept.equal_range(nightStamp(day));
        for (auto it = first; it != last; ++it)
            if (it->second.first == entry.sources) {
                entry.kept = true;
                entry.preset = it->second.second.preset;
                entry.verdict = it->second.second.verdict;
                if (!nightWentOver(entry.verdict))
                    entry.episodes = std::pair{0, 0};
                else if (const auto counted = episodes.find({nightStamp(day), entry.preset, entry.sources});
                         counted != episodes.end())
                    entry.episodes = counted->second;
                break;
            }
        nights.push_back(entry);
    }
    return nights;
}

ArchiveStatus Archive::keepNightVerdicts(qint64 deviceId, int model,
                                         const std::vector<NightCacheEntry>& nights) {
    m_db->clearError();
    if (nights.empty()) return ArchiveOk();
    // Inside a read the insert would end it, or fail inside it.
    if (m_db->inRead())
        return ArchiveStatus::failure(QStringLiteral("Écriture impossible pendant une lecture."));
    if (const ArchiveStatus sound = checkBeforeWriting(); !sound) return sound;
    auto failed = [this] {
        m_db->rollback();
        return ArchiveStatus::failure(QStringLiteral("Écriture dans l'archive impossible : ") +
                                      m_db->lastError());
    };
    if (!m_db->begin()) return failed();
    QSqlQuery insert(m_db->db());
    insert.prepare(
        QStringLiteral("INSERT INTO night_verdicts (device_id, night, preset, model, sources, verdict) "
                       "VALUES (?, ?, ?, ?, ?, ?) ON CONFLICT DO NOTHING"));
    for (const NightCacheEntry& night : nights) {
        insert.addBindValue(deviceId);
        insert.addBindValue(qint64(nightStamp(night.night)));
        insert.addBindValue(night.preset);
        insert.addBindValue(model);
        insert.addBindValue(night.sources);
        insert.addBindValue(night.verdict);
        if (!m_db->execPrepared(insert)) return failed();
    }
    // Only the nights that went over have episodes to keep.
    insert.prepare(QStringLiteral("INSERT INTO night_episodes (device_id, night, preset, model, sources, "
                                  "certain, possible) VALUES (?, ?, ?, ?, ?, ?, ?) ON CONFLICT DO NOTHING"));
    for (const NightCacheEntry& night : nights) {
        if (!night.episodes || !nightWentOver(night.verdict)) continue;
        insert.addBindValue(deviceId);
        insert.addBindValue(qint64(nightStamp(night.night)));
        insert.addBindValue(night.preset);
        insert.addBindValue(model);
        insert.addBindValue(night.sources);
        insert.addBindValue(night.episodes->first);
        insert.addBindValue(night.episodes->second);
        if (!m_db->execPrepared(insert)) return failed();
    }
    if (!m_db->commit()) return failed();
    return ArchiveOk();
}
