#pragma once

class ArchiveWorker;
class QLabel;
class QWidget;

// A status line that says while the archive is at work, with a wait cursor over its window. The
// window stays usable: its commands that need the archive are switched off by the window itself.
QLabel* MakeArchiveBusyLine(ArchiveWorker& archive, QWidget* window);
