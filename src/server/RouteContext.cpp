#include "server/RouteContext.h"

#include <algorithm>

QString userRoleName(UserRole role) {
    switch (role) {
    case UserRole::Admin:
        return QStringLiteral("admin");
    case UserRole::Operator:
        return QStringLiteral("operator");
    case UserRole::Venue:
        break;
    }
    return QStringLiteral("venue");
}

std::optional<UserRole> parseUserRole(const QString& text) {
    for (const UserRole role : {UserRole::Admin, UserRole::Operator, UserRole::Venue})
        if (text == userRoleName(role)) return role;
    return std::nullopt;
}

bool VisibleScope::maySeeVenue(qint64 venueId) const {
    return everything || venues.contains(venueId);
}

bool VisibleScope::maySeeDevice(qint64 deviceId) const {
    return everything || std::any_of(windows.begin(), windows.end(),
                                     [deviceId](const DeviceWindow& w) { return w.deviceId == deviceId; });
}

std::vector<DeviceWindow> VisibleScope::windowsOf(qint64 deviceId) const {
    if (everything) return {DeviceWindow{0, deviceId, {}, {}}};
    std::vector<DeviceWindow> found;
    std::copy_if(windows.begin(), windows.end(), std::back_inserter(found),
                 [deviceId](const DeviceWindow& w) { return w.deviceId == deviceId; });
    return found;
}

bool VisibleScope::maySeeDays(qint64 deviceId, const QDate& from, const QDate& to) const {
    const auto windows = windowsOf(deviceId);
    return std::any_of(windows.begin(), windows.end(), [&](const DeviceWindow& w) {
        return (!w.from.isValid() || from >= w.from) && (!w.to.isValid() || to <= w.to);
    });
}

bool VisibleScope::mayMeetDays(qint64 deviceId, const QDate& first, const QDate& last) const {
    const auto windows = windowsOf(deviceId);
    return std::any_of(windows.begin(), windows.end(), [&](const DeviceWindow& w) {
        return (!w.to.isValid() || !first.isValid() || first <= w.to) &&
               (!w.from.isValid() || !last.isValid() || last >= w.from);
    });
}

VisibleScope scopeOf(UserRole role, const std::vector<qint64>& grantedVenues,
                     const std::vector<VenueDevice>& stays) {
    VisibleScope scope;
    if (role == UserRole::Admin || role == UserRole::Operator) {
        scope.everything = true;
        return scope;
    }
    for (const qint64 venue : grantedVenues)
        scope.venues.insert(venue);
    for (const VenueDevice& stay : stays)
        if (scope.venues.contains(stay.venueId))
            scope.windows.push_back(DeviceWindow{stay.venueId, stay.deviceId, stay.from, stay.to});
    return scope;
}
