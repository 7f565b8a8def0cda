#pragma once

#include <QByteArray>
#include <QString>

// Passwords are kept as Argon2id strings (about 19 MiB and 2 passes: each check costs a few tens of
// milliseconds, on a worker thread, never on the event loop).
namespace Passwords {
constexpr int kMinLength = 10;
constexpr int kMaxLength = 1024;
// Whether libsodium could start; the server refuses to run without it.
bool ready();
// The Argon2id string of the password; empty when it cannot be made (out of memory).
QString hash(const QByteArray& password);
// Whether the password is the one of the hash. An account that does not exist is checked against a
// hash of its own, so that it costs the same time as one that does.
bool verify(const QString& hash, const QByteArray& password);
void verifyAgainstNothing(const QByteArray& password);
// Why a new password is refused; empty when it is fine.
QString weakness(const QByteArray& password);
} // namespace Passwords
