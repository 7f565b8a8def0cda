#include "server/auth/Secrets.h"

#include <QCryptographicHash>
#include <sodium.h>

namespace Secrets {
QByteArray randomText(int bytes) {
    QByteArray raw(bytes, Qt::Uninitialized);
    randombytes_buf(raw.data(), size_t(raw.size()));
    return raw.toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals);
}

QString sha256Hex(const QByteArray& bytes) {
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}

bool sameBytes(const QByteArray& a, const QByteArray& b) {
    // The lengths of what is compared here (hashes, tokens of a fixed size) are no secret.
    return a.size() == b.size() && sodium_memcmp(a.constData(), b.constData(), size_t(a.size())) == 0;
}
} // namespace Secrets
