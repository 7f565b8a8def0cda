#include "ui/widgets/Pictures.h"

#include <QCoreApplication>
#include <QFileInfo>

QString picturePath(const QString& fileName) {
    return QCoreApplication::applicationDirPath() + QStringLiteral("/Images/") + fileName;
}

QPixmap loadPicture(const QString& fileName) {
    const QString path = picturePath(fileName);
    if (!QFileInfo::exists(path)) return {};
    QPixmap picture;
    picture.load(path);
    return picture;
}
