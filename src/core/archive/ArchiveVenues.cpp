// Venues and the days their devices were there.
#include "core/archive/Archive.h"
#include "core/archive/ArchiveDatabase.h"
#include "core/archive/ArchiveValidation.h"

#include <QSqlQuery>
#include <limits>

namespace {
constexpr qint64 kMaxId = std::numeric_limits<qint64>::max();
const QString kDayFormat = QStringLiteral("yyyy-MM-dd");

QString dayColumn(const QDate& day) {
    return day.isValid() ? day.toString(kDayFormat) : QString();
}

QVariant dayValue(const QDate& day) {
    return day.isValid() ? QVariant(day.toString(kDayFormat)) : QVariant(QMetaType(QMetaType::QString));
}

// A day column: null (open) or a real day; nothing when damaged.
std::optional<QDate> storedDay(const QVariant& value) {
    if (value.isNull()) return QDate();
    const QDate day = QDate::fromString(value.toString(), kDayFormat);
    return day.isValid() ? std::optional<QDate>(day) : std::nullopt;
}

QString readFailure(ArchiveDatabase& db) {
    return QStringLiteral("Lecture de l'archive impossible : ") + db.lastError();
}

QString shownDay(const QDate& day) {
    return day.isValid() ? day.toString(QStringLiteral("dd/MM/yyyy")) : QStringLiteral("…");
}

bool overlaps(const VenueDevice& a, const QDate& from, const QDate& to) {
    return (!a.to.isValid() || !from.isValid() || from <= a.to) &&
           (!a.from.isValid() || !to.isValid() || to >= a.from);
}

QString checkedName(const QString& name, int maxLength, QString& error) {
    const QString trimmed = name.trimmed();
    if (trimmed.isEmpty())
        error = QStringLiteral("Le nom du lieu est vide.");
    else if (trimmed.size() > maxLength)
        error = QStringLiteral("Le nom du lieu dépasse %1 caractères.").arg(maxLength);
    return trimmed;
}
} // namespace

ArchiveResult<std::vector<ArchivedVenue>> Archive::venues() {
    using Result = ArchiveResult<std::vector<ArchivedVenue>>;
    ArchiveReadTransaction read(*m_db);
    QSqlQuery query(m_db->db());
    query.setForwardOnly(true);
    if (!read.ok() || !m_db->exec(query, QStringLiteral("SELECT id, name FROM venues ORDER BY name, id")))
        return Result::failure(readFailure(*m_db));
    std::vector<ArchivedVenue> found;
    while (query.next()) {
        const auto id = ArchiveCheck::integer(query.value(0), 1, kMaxId);
        const QString name = query.value(1).toString();
        if (!id || name.isEmpty() || name.size() > kMaxVenueLength)
            return Result::failure(ArchiveCheck::damaged(QStringLiteral("venues"),
                                                         ArchiveCheck::shown(query.value(0)),
                                                         QStringLiteral("identifiant ou nom impossible")));
        found.push_back({*id, name});
    }
    return found;
}

ArchiveResult<std::vector<VenueDevice>> Archive::venueDevices() {
    using Result = ArchiveResult<std::vector<VenueDevice>>;
    ArchiveReadTransaction read(*m_db);
    QSqlQuery query(m_db->db());
    query.setForwardOnly(true);
    if (!read.ok() ||
        !m_db->exec(query, QStringLiteral("SELECT id, venue_id, device_id, from_day, to_day FROM "
                                          "venue_devices ORDER BY device_id, from_day, id")))
        return Result::failure(readFailure(*m_db));
    std::vector<VenueDevice> found;
    while (query.next()) {
        const auto id = ArchiveCheck::integer(query.value(0), 1, kMaxId);
        const auto venue = ArchiveCheck::integer(query.value(1), 1, kMaxId);
        const auto device = ArchiveCheck::integer(query.value(2), 1, kMaxId);
        const auto from = storedDay(query.value(3));
        const auto to = storedDay(query.value(4));
        if (!id || !venue || !device || !from || !to || (from->isValid() && to->isValid() && *to < *from))
            return Result::failure(
                ArchiveCheck::damaged(QStringLiteral("venue_devices"), ArchiveCheck::shown(query.value(0)),
                                      QStringLiteral("lieu, appareil ou dates impossibles")));
        found.push_back({*id, *venue, *device, *from, *to});
    }
    return found;
}

ArchiveResult<qint64> Archive::addVenue(const QString& name) {
    using Result = ArchiveResult<qint64>;
    QString error;
    const QString trimmed = checkedName(name, kMaxVenueLength, error);
    if (!error.isEmpty()) return Result::failure(error);
    if (const ArchiveStatus sound = checkBeforeWriting(); !sound) return Result::failure(sound.error());
    if (!m_db->begin()) return Result::failure(QStringLiteral("L'archive refuse l'écriture"));
    const QVariant id =
        m_db->scalar(QStringLiteral("INSERT INTO venues (name, created_at) VALUES (?, ?) RETURNING id"),
                     {trimmed, QDateTime::currentDateTimeUtc().toString(Qt::ISODate)});
    if (!id.isValid() || !m_db->commit()) {
        const QString why = m_db->lastError();
        m_db->rollback();
        return Result::failure(why);
    }
    return id.toLongLong();
}

ArchiveResult<qint64> Archive::attachDevice(qint64 venueId, qint64 deviceId, const QDate& from,
                                            const QDate& to) {
    using Result = ArchiveResult<qint64>;
    if (from.isValid() && to.isValid() && to < from)
        return Result::failure(QStringLiteral("La période finit avant de commencer : du %1 au %2.")
                                   .arg(shownDay(from), shownDay(to)));
    const auto venues = this->venues();
    if (!venues) return Result::failure(venues.error());
    if (std::none_of(venues->begin(), venues->end(),
                     [venueId](const ArchivedVenue& v) { return v.id == venueId; }))
        return Result::failure(QStringLiteral("Lieu inconnu dans l'archive : %1").arg(venueId));
    const auto devices = this->devices();
    if (!devices) return Result::failure(devices.error());
    if (std::none_of(devices->begin(), devices->end(),
                     [deviceId](const ArchivedDevice& d) { return d.id == deviceId; }))
        return Result::failure(QStringLiteral("Appareil inconnu dans l'archive : %1").arg(deviceId));
    const auto stays = venueDevices();
    if (!stays) return Result::failure(stays.error());

    // A device moved: its open stay elsewhere that began before ends the day before it arrived.
    std::optional<qint64> closing;
    for (const VenueDevice& stay : *stays) {
        if (stay.deviceId != deviceId || !overlaps(stay, from, to)) continue;
        const bool movedOn =
            !stay.to.isValid() && from.isValid() && (!stay.from.isValid() || stay.from < from);
        if (movedOn && !closing) {
            closing = stay.id;
            continue;
        }
        const auto venue = std::find_if(venues->begin(), venues->end(),
                                        [&stay](const ArchivedVenue& v) { return v.id == stay.venueId; });
        return Result::failure(QStringLiteral("L'appareil %1 est déjà au lieu « %2 » du %3 au %4.")
                                   .arg(deviceId)
                                   .arg(venue != venues->end() ? venue->name : QString::number(stay.venueId),
                                        shownDay(stay.from), shownDay(stay.to)));
    }

    if (const ArchiveStatus sound = checkBeforeWriting(); !sound) return Result::failure(sound.error());
    if (!m_db->begin()) return Result::failure(QStringLiteral("L'archive refuse l'écriture"));
    auto fail = [this] {
        const QString why = m_db->lastError();
        m_db->rollback();
        return Result::failure(why);
    };
    QSqlQuery query(m_db->db());
    if (closing &&
        !m_db->execPrepared(query, QStringLiteral("UPDATE venue_devices SET to_day = ? WHERE id = ?"),
                            {dayColumn(from.addDays(-1)), *closing}))
        return fail();
    const QVariant id =
        m_db->scalar(QStringLiteral("INSERT INTO venue_devices (venue_id, device_id, from_day, to_day) "
                                    "VALUES (?, ?, ?, ?) RETURNING id"),
                     {venueId, deviceId, dayValue(from), dayValue(to)});
    if (!id.isValid() || !m_db->commit()) return fail();
    return id.toLongLong();
}

ArchiveStatus Archive::setVenue(qint64 deviceId, const QString& venue) {
    const QString name = venue.trimmed();
    if (name.size() > kMaxVenueLength)
        return ArchiveStatus::failure(
            QStringLiteral("Le nom du lieu dépasse %1 caractères.").arg(kMaxVenueLength));
    const auto stays = venueDevices();
    if (!stays) return ArchiveStatus::failure(stays.error());
    const QDate today = QDate::currentDate();
    std::optional<qint64> current;
    for (const VenueDevice& stay : *stays)
        if (stay.deviceId == deviceId && stay.covers(today)) current = stay.venueId;

    if (!m_db->begin()) return ArchiveStatus::failure(QStringLiteral("L'archive refuse l'écriture"));
    auto fail = [this](const QString& why) {
        m_db->rollback();
        return ArchiveStatus::failure(why);
    };
    QSqlQuery query(m_db->db());
    if (!m_db->execPrepared(query, QStringLiteral("UPDATE devices SET venue = ? WHERE id = ?"),
                            {name, deviceId}))
        return fail(m_db->lastError());
    if (query.numRowsAffected() != 1)
        return fail(QStringLiteral("Appareil inconnu dans l'archive : %1").arg(deviceId));
    if (!name.isEmpty()) {
        bool written = true;
        if (current) {
            written = m_db->execPrepared(query, QStringLiteral("UPDATE venues SET name = ? WHERE id = ?"),
                                         {name, *current});
        } else {
            const QVariant id = m_db->scalar(
                QStringLiteral("INSERT INTO venues (name, created_at) VALUES (?, ?) RETURNING id"),
                {name, QDateTime::currentDateTimeUtc().toString(Qt::ISODate)});
            // From the day after the device's last stay, or from its start when it had none.
            QDate after;
            for (const VenueDevice& stay : *stays)
                if (stay.deviceId == deviceId && stay.to.isValid() && stay.to.addDays(1) > after)
                    after = stay.to.addDays(1);
            written =
                id.isValid() &&
                m_db->execPrepared(query,
                                   QStringLiteral("INSERT INTO venue_devices (venue_id, device_id, from_day, "
                                                  "to_day) VALUES (?, ?, ?, NULL)"),
                                   {id, deviceId, dayValue(after)});
        }
        if (!written) return fail(m_db->lastError());
    }
    if (!m_db->commit()) return fail(m_db->lastError());
    return ArchiveOk();
}
