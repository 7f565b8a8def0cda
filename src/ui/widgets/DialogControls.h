#pragma once

#include <QDate>
#include <QSet>

class QAbstractButton;
class QDateEdit;
class QLabel;
class QWidget;
struct DataSpan;

// Return and Enter press the dialog's Ok button and Escape its cancel button, wherever the focus is
// in the dialog: the keys a control does not use itself travel up to the dialog. A disabled Ok
// ignores the key. The progress windows never get this, so that no key stops a download or a save.
void InstallDialogKeys(QWidget* dialog, QAbstractButton* ok, QAbstractButton* cancel);

// Shows the span of the data in memory in the label (hidden when there is none) and marks the days
// that hold records in bold in each picker's calendar.
void ShowDataSpan(const DataSpan& span, QLabel* label, std::initializer_list<QDateEdit*> pickers);
