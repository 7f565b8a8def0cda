#pragma once

#include "core/archive/ArchiveTypes.h"

#include <QDate>
#include <QSet>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

class Archive;

enum class UserRole { Admin, Operator, Venue };
QString userRoleName(UserRole role);
std::optional<UserRole> parseUserRole(const QString& text);

// Who sent a request, once its session was found.
struct Principal {
    qint64 userId = 0;
    QString name;
    UserRole role = UserRole::Venue;
    QByteArray csrf; // the session's token for forms and X-CSRF-Token
};

// Days of a device that count for a venue; a null date leaves that end open.
struct DeviceWindow {
    qint64 venueId = 0;
    qint64 deviceId = 0;
    QDate from, to;
};

// What one user may see. Administrators and operators see every venue and device; a venue account
// sees the venues granted to it, and their devices within the days they were there.
struct VisibleScope {
    bool everything = false;
    QSet<qint64> venues;
    std::vector<DeviceWindow> windows;

    bool maySeeVenue(qint64 venueId) const;
    bool maySeeDevice(qint64 deviceId) const;
    // The windows of one device that this user may see; one open window when it sees everything.
    std::vector<DeviceWindow> windowsOf(qint64 deviceId) const;
    // Whether every day from..to of the device lies in one window (a report, a night).
    bool maySeeDays(qint64 deviceId, const QDate& from, const QDate& to) const;
    // Whether some day of first..last lies in a window (a download that reaches the user's days); a
    // null end is open.
    bool mayMeetDays(qint64 deviceId, const QDate& first, const QDate& last) const;
};

// Who may call a route: anybody, a signed-in user, or a venue PC with its device token.
enum class RouteAccess { Public, Session, DeviceToken };

// What a route's handler gets besides the request; filled by the access gate.
struct RouteContext {
    Archive* archive = nullptr;          // this worker's connection to the archive
    const Principal* user = nullptr;     // Session routes
    const VisibleScope* scope = nullptr; // Session routes
    qint64 tokenDevice = 0;              // DeviceToken routes: the device of the token
    QString peer;                        // the client's address as the front end gives it
    QStringList pathArguments;           // the {id} parts of the path, in order
    QByteArray sessionKey;               // Session routes: the cookie's value, to end the session
    qint64 now = 0;                      // the gate's clock (seconds since the epoch); 0: the system's
    // Work to start once the answer is written, on a worker with its own archive, behind every waiting
    // request; none outside a server (the work is then not done).
    std::function<void(std::function<void(Archive&)>)> afterAnswer;
    // What user and scope point to, owned for the request's time.
    Principal signedIn;
    VisibleScope visible;
};

// What a user may see: every venue and device for administrators and operators, the venues granted
// to a venue account and their devices within the days they were there. The one place that decides.
VisibleScope scopeOf(UserRole role, const std::vector<qint64>& grantedVenues,
                     const std::vector<VenueDevice>& stays);
