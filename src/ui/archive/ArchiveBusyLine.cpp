#include "ui/archive/ArchiveBusyLine.h"

#include "core/archive/ArchiveWorker.h"

#include <QLabel>

QLabel* MakeArchiveBusyLine(ArchiveWorker& archive, QWidget* window) {
    auto* line = new QLabel(window);
    line->setObjectName(QStringLiteral("Label_Archive_Busy"));
    line->setStyleSheet(QStringLiteral("font-style:italic"));
    auto show = [line, window](bool busy) {
        // The line keeps its place when idle, so that the window's controls never move.
        line->setText(busy ? QStringLiteral("Archive : travail en cours ...") : QString());
        if (busy)
            window->setCursor(Qt::WaitCursor);
        else
            window->unsetCursor();
    };
    QObject::connect(&archive, &ArchiveWorker::busyChanged, line, show);
    show(archive.isBusy());
    return line;
}
