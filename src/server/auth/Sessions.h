#pragma once

#include "server/HttpMessage.h"
#include "server/RouteContext.h"

#include <QByteArray>
#include <QString>

class Archive;

// Signing in and out, and the cookie that carries a session. The cookie's value is 256 random bits;
// the archive keeps only its SHA-256, so a copy of the database opens no session.
namespace Sessions {
constexpr qint64 kIdleSeconds = 30 * 60;
constexpr qint64 kLifetimeSeconds = 12 * 3600;
constexpr int kFreeAttempts = 5;            // wrong passwords in a row before the account is held back
constexpr qint64 kLongestHoldSeconds = 900; // the back-off doubles up to this, never locks for good

const QByteArray kCookieName = QByteArrayLiteral("__Host-vorl_session");

// The value of a cookie of the request; empty when absent.
QByteArray cookie(const HttpRequest& request, const QByteArray& name);
QByteArray setCookieHeader(const QByteArray& value);
QByteArray clearCookieHeader();

struct SignIn {
    enum class Outcome { SignedIn, BadCredentials, HeldBack, Failed } outcome = Outcome::Failed;
    qint64 retryAfter = 0;  // HeldBack: seconds
    QByteArray cookieValue; // SignedIn
    Principal user;         // SignedIn
    QString error;          // Failed: why (for the journal, never for the client)
};

// Checks the password (one Argon2id check, as long for an unknown account as for a known one), holds
// back an account after kFreeAttempts wrong ones, and on success opens a new session (the one the
// browser had, if any, ends: a session id is never carried across a sign-in).
SignIn signIn(Archive& archive, const QString& name, const QByteArray& password, const QString& peer,
              const QByteArray& previousCookie, qint64 now);
// Ends the session of that cookie value.
void signOut(Archive& archive, const QByteArray& cookieValue);

// 429 with Retry-After, as JSON.
HttpResponse heldBack(qint64 retryAfter);
} // namespace Sessions
