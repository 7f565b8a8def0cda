#include "ui/shell/WindowFactory.h"

#include "ui/shell/AppContext.h"

#include <QLabel>

QWidget* createWindow(WindowId id, AppContext& context) {
    Q_UNUSED(context);
    auto* placeholder = new QLabel(QStringLiteral("%1").arg(QString::fromLatin1(windowName(id))));
    return placeholder;
}
