#pragma once

#include <QByteArray>
#include <QString>

// Random secrets and their fingerprints, from libsodium: nothing home-made.
namespace Secrets {
// `bytes` random bytes from the system's generator, as unpadded base64url text.
QByteArray randomText(int bytes);
// Lower-case hex of the SHA-256 of the bytes.
QString sha256Hex(const QByteArray& bytes);
// Whether the two are equal, in a time that does not depend on where they differ.
bool sameBytes(const QByteArray& a, const QByteArray& b);
} // namespace Secrets
