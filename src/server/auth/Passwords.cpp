#include "server/auth/Passwords.h"

#include <sodium.h>

namespace {
constexpr unsigned long long kPasses = 2;
constexpr size_t kMemory = size_t{19} * 1024 * 1024;
} // namespace

namespace Passwords {
bool ready() {
    return sodium_init() >= 0;
}

QString hash(const QByteArray& password) {
    char out[crypto_pwhash_STRBYTES];
    if (crypto_pwhash_str_alg(out, password.constData(), size_t(password.size()), kPasses, kMemory,
                              crypto_pwhash_ALG_ARGON2ID13) != 0)
        return {};
    return QString::fromLatin1(out);
}

bool verify(const QString& hash, const QByteArray& password) {
    const QByteArray text = hash.toLatin1();
    return !text.isEmpty() &&
           crypto_pwhash_str_verify(text.constData(), password.constData(), size_t(password.size())) == 0;
}

void verifyAgainstNothing(const QByteArray& password) {
    static const QString nothing = hash(QByteArrayLiteral("no account has this password"));
    (void)verify(nothing, password);
}

QString weakness(const QByteArray& password) {
    if (password.size() < kMinLength)
        return QStringLiteral("le mot de passe doit compter au moins %1 caractères").arg(kMinLength);
    if (password.size() > kMaxLength)
        return QStringLiteral("le mot de passe dépasse %1 octets").arg(kMaxLength);
    return {};
}
} // namespace Passwords
