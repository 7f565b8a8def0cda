#pragma once

#include <QPixmap>
#include <QString>

// The program's pictures live in the folder "Images" beside the executable. A missing or broken
// picture gives a null pixmap: the control then shows without it and the program goes on.
QString picturePath(const QString& fileName);
QPixmap loadPicture(const QString& fileName);
