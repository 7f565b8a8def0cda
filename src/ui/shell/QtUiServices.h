#pragma once

#include "core/platform/UiServices.h"

#include <QPointer>
#include <QWidget>

// The real dialogs: message boxes, the open and save file choosers and the hourglass cursor.
class QFileDialog;

class QtUiServices : public UiServices {
public:
    // The boxes stand over this window (the main window once it exists).
    void setParentWindow(QWidget* parent) { m_parent = parent; }

    void message(MessageIcon icon, const QString& title, const QString& text) override;
    std::optional<QString> openFileName(const QString& fileName, const QString& filter) override;
    std::optional<QString> saveFileName(const QString& fileName, const QString& filter) override;
    bool question(const QString& title, const QString& text) override;
    void setBusyCursor(bool busy) override;

    // "Description (*.a)|*.a|Other|*.b;*.c" as the program writes its filters, in the form Qt's
    // file dialog reads: "Description (*.a);;Other (*.b *.c)".
    static QString qtFileFilter(const QString& filter);
    // The extension of the filter's first single pattern ("qlv" for "...|*.qlv"), else empty.
    static QString defaultSuffix(const QString& filter);
    // Detail view, sized so that the columns are not elided.
    static void prepareFileDialog(QFileDialog& dialog);

private:
    QWidget* dialogParent() const;

    QPointer<QWidget> m_parent;
    bool m_busy = false;
};
