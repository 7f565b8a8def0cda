// Consistency checks of the archive: the same on both engines, after SQLite's own check of the file.
#include "core/archive/Archive.h"
#include "core/archive/ArchiveDatabase.h"
#include "core/archive/ArchiveRecords.h"
#include "core/archive/ArchiveValidation.h"
#include "core/files/SaveFileReader.h"

#include <QCryptographicHash>
#include <QSqlQuery>

namespace {
QString stampText(int64_t s) {
    return Stamp::toDateTime(s).toString(QStringLiteral("dd/MM/yyyy hh:mm"));
}
} // namespace

VerifyReport Archive::verify() {
    m_db->clearError();
    ArchiveResult<VerifyReport> report = checkStructure(false);
    if (!report) {
        VerifyReport failed;
        failed.problems << QStringLiteral("Lecture impossible : ") + report.error();
        return failed;
    }
    if (const ArchiveStatus originals = checkOriginals(*report, true); !originals)
        report->problems << QStringLiteral("Lecture impossible : ") + originals.error();
    return std::move(report).value();
}

ArchiveResult<VerifyReport> Archive::checkStructure(bool quick) {
    VerifyReport report;
    auto failed = [&] { return ArchiveResult<VerifyReport>::failure(m_db->lastError()); };
    ArchiveReadTransaction read(*m_db);
    if (!read.ok()) return failed();
    QSqlQuery query(m_db->db());
    query.setForwardOnly(true);

    if (m_db->isSqlite()) {
        if (!m_db->exec(query, quick ? QStringLiteral("PRAGMA quick_check")
                                     : QStringLiteral("PRAGMA integrity_check")))
            return failed();
        while (query.next()) {
            const QString line = query.value(0).toString();
            if (line != QLatin1String("ok")) report.problems << QStringLiteral("Fichier : ") + line;
        }
    }

    // Values no reader would take.
    const auto damaged = ArchiveCheck::damagedRows(*m_db);
    if (!damaged) {
        report.problems << damaged.error();
        return report;
    }
    report.problems << *damaged;

    // The record keys must be unique (the index says so; a damaged index would not).
    const struct {
        const char* table;
        const char* key;
    } keys[] = {{"levels", "device_id, stamp, c4, b7, b8, dup_rank"},
                {"events", "device_id, stamp, c4, b7, b8, dup_rank"},
                {"param_changes", "device_id, stamp, cells, dup_rank"},
                {"downloads", "sha256, transfer_date, substr(transfer_time, 1, 5)"}};
    for (const auto& k : keys) {
        if (!m_db->exec(
                query, QStringLiteral("SELECT count(*) FROM (SELECT %1 FROM %2 GROUP BY %1 HAVING count(*) > "
                                      "1) AS twins")
                           .arg(QLatin1String(k.key), QLatin1String(k.table))))
            return failed();
        if (query.next() && query.value(0).toInt() > 0)
            report.problems << QStringLiteral("Table %1 : %2 clés en double")
                                   .arg(QLatin1String(k.table))
                                   .arg(query.value(0).toInt());
    }
    // A repeated record must have all its earlier twins.
    if (!m_db->exec(
            query,
            QStringLiteral("SELECT count(*) FROM levels l WHERE l.dup_rank > 0 AND NOT EXISTS (SELECT 1 "
                           "FROM levels p WHERE p.device_id = l.device_id AND p.stamp = l.stamp AND "
                           "p.c4 = l.c4 AND p.b7 = l.b7 AND p.b8 = l.b8 AND p.dup_rank = l.dup_rank - 1)")))
        return failed();
    if (query.next() && query.value(0).toInt() > 0)
        report.problems << QStringLiteral("%1 mesures répétées sans leur première occurrence")
                               .arg(query.value(0).toInt());

    // Records archived before each kept its place among the records of its minute come back in the
    // order of their kind and level.
    for (const char* table : {"levels", "events", "param_changes"}) {
        if (!m_db->exec(query, QStringLiteral("SELECT count(*) FROM %1 WHERE minute_order IS NULL")
                                   .arg(QLatin1String(table))))
            return failed();
        if (query.next() && query.value(0).toLongLong() > 0)
            report.notes << QStringLiteral(
                                "Table %1 : %2 enregistrements archivés sans leur rang dans leur minute "
                                "(avant la version 2.1 du schéma) ; ils reviennent dans l'ordre de leur "
                                "type et de leur valeur.")
                                .arg(QLatin1String(table))
                                .arg(query.value(0).toLongLong());
    }

    // Each download against the records: every level of its coverage is archived, counted by kind.
    if (!m_db->exec(
            query,
            QStringLiteral(
                "SELECT w.id, w.cover_from, w.cover_to, w.n_leq, w.n_leq1, w.n_leq10, d.generation, "
                "(SELECT count(*) FROM levels l WHERE l.device_id = w.device_id AND l.stamp BETWEEN "
                "w.cover_from AND w.cover_to AND (d.generation = 3 OR l.c4 NOT IN (1, 10))), "
                "(SELECT count(*) FROM levels l WHERE l.device_id = w.device_id AND l.stamp BETWEEN "
                "w.cover_from AND w.cover_to AND d.generation = 5 AND l.c4 = 1), "
                "(SELECT count(*) FROM levels l WHERE l.device_id = w.device_id AND l.stamp BETWEEN "
                "w.cover_from AND w.cover_to AND d.generation = 5 AND l.c4 = 10), "
                "(SELECT count(*) FROM levels l WHERE l.device_id = w.device_id AND l.stamp = "
                "w.cover_from), "
                "(SELECT count(*) FROM levels l WHERE l.device_id = w.device_id AND l.dup_rank > 0 AND "
                "l.stamp BETWEEN w.cover_from - w.cover_from % 100 AND w.cover_from - w.cover_from % "
                "100 + 59) "
                "FROM downloads w JOIN devices d ON d.id = w.device_id WHERE w.cover_from IS NOT NULL "
                "ORDER BY w.id")))
        return failed();
    while (query.next()) {
        const qint64 id = query.value(0).toLongLong();
        const int64_t from = query.value(1).toLongLong(), to = query.value(2).toLongLong();
        if (from > to)
            report.problems << QStringLiteral("Téléchargement %1 : couverture inversée (%2 - %3)")
                                   .arg(id)
                                   .arg(stampText(from), stampText(to));
        const char* kinds[] = {"Leq", "Leq1", "Leq10"};
        for (int k = 0; k < 3; ++k) {
            const int stored = query.value(3 + k).toInt(), found = query.value(7 + k).toInt();
            if (found < stored)
                report.problems << QStringLiteral(
                                       "Téléchargement %1 : %2 mesures %3 annoncées, %4 dans l'archive")
                                       .arg(id)
                                       .arg(stored)
                                       .arg(QLatin1String(kinds[k]))
                                       .arg(found);
        }
        if (query.value(10).toInt() == 0)
            report.problems << QStringLiteral(
                                   "Téléchargement %1 : aucune mesure au début de sa couverture (%2)")
                                   .arg(id)
                                   .arg(stampText(from));
        // A download that begins inside an hour the clock went through twice cannot tell which of the two
        // passes its first records belong to.
        if (query.value(11).toInt() > 0)
            report.notes << QStringLiteral(
                                "Téléchargement %1 : commence dans une heure répétée au changement d'heure "
                                "(%2) ; ses premières mesures peuvent avoir été confondues avec celles de "
                                "l'autre passage.")
                                .arg(id)
                                .arg(stampText(from));
    }
    return report;
}

// Each original must decompress, hash to what was stored for it, and read back as a save file whose
// content is the download's.
ArchiveStatus Archive::checkOriginals(VerifyReport& report, bool reread) {
    QSqlQuery query(m_db->db());
    query.setForwardOnly(true);
    if (!m_db->exec(query, QStringLiteral("SELECT id FROM downloads ORDER BY id")))
        return ArchiveStatus::failure(m_db->lastError());
    QList<qint64> ids;
    while (query.next())
        ids << query.value(0).toLongLong();
    query.finish();
    auto data = std::make_unique<DeviceData>();
    for (const qint64 id : ids) {
        query.prepare(QStringLiteral(
            "SELECT original, original_size, original_sha256, sha256 FROM downloads WHERE id = ?"));
        query.addBindValue(id);
        if (!m_db->execPrepared(query) || !query.next()) return ArchiveStatus::failure(m_db->lastError());
        const QByteArray bytes = qUncompress(query.value(0).toByteArray());
        const qint64 size = query.value(1).toLongLong();
        const QString originalHash = query.value(2).toString(), contentHash = query.value(3).toString();
        query.finish();
        auto damaged = [&](const QString& what) {
            report.problems
                << QStringLiteral("Téléchargement %1 : octets d'origine endommagés (%2)").arg(id).arg(what);
        };
        if (bytes.isEmpty()) {
            damaged(QStringLiteral("ils ne se décompressent pas"));
            continue;
        }
        if (bytes.size() != size) {
            damaged(QStringLiteral("%1 octets au lieu de %2").arg(bytes.size()).arg(size));
            continue;
        }
        if (originalHash.isEmpty())
            report.notes << QStringLiteral(
                                "Téléchargement %1 : empreinte SHA-256 des octets d'origine absente")
                                .arg(id);
        else if (QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex()) !=
                 originalHash) {
            damaged(QStringLiteral("leur empreinte SHA-256 a changé"));
            continue;
        }
        if (!reread) continue;
        *data = DeviceData{};
        int generation = 0;
        if (ReadSaveFileBytes(bytes, *data, generation) != SaveFileFault::None) {
            damaged(QStringLiteral("ils ne se relisent pas comme un fichier de sauvegarde"));
            continue;
        }
        if (ContentHash(*data, generation) != contentHash)
            damaged(QStringLiteral("leur contenu n'est plus celui qui a été archivé"));
    }
    return ArchiveOk();
}
