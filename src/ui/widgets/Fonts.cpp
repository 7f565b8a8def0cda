#include "ui/widgets/Fonts.h"

#include <QStringList>

namespace {
QFont withFallback(const QString& family, const QString& fallback, int pointSize, bool bold) {
    QFont font(family, pointSize, bold ? QFont::Bold : QFont::Normal);
    font.setFamilies({family, fallback});
    return font;
}
} // namespace

QFont comicFont(int pointSize, bool bold) {
    return withFallback(QStringLiteral("Comic Sans MS"), QStringLiteral("DejaVu Sans"), pointSize, bold);
}

QFont arialFont(int pointSize, bool bold) {
    return withFallback(QStringLiteral("Arial"), QStringLiteral("DejaVu Sans"), pointSize, bold);
}
