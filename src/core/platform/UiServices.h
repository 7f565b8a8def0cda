#pragma once

#include <QString>
#include <optional>

enum class MessageIcon { None, Critical, Warning, Information };

// The modal dialogs the program uses. The windows and core routines talk to this interface; the
// Qt implementation shows real boxes, the tests answer them from a script, the command line prints them.
class UiServices {
public:
    virtual ~UiServices() = default;

    // A modal message box with an OK button.
    virtual void message(MessageIcon icon, const QString& title, const QString& text) = 0;

    // Open-file and save-file dialogs. The filter is written as the program writes it everywhere,
    // "Sauvegarde QLV 40 (*.qlv)|*.qlv". Cancelling gives no answer (std::nullopt), never an exception;
    // an accepted dialog with no name typed gives an empty text.
    virtual std::optional<QString> openFileName(const QString& fileName, const QString& filter) = 0;
    virtual std::optional<QString> saveFileName(const QString& fileName, const QString& filter) = 0;

    // Hourglass cursor during long operations.
    virtual void setBusyCursor(bool busy) = 0;

    // A question box with the buttons "Oui" and "Non": true for "Oui". A front end that cannot ask
    // (the command line) goes on as if answered "Oui".
    virtual bool question(const QString& title, const QString& text) {
        Q_UNUSED(title);
        Q_UNUSED(text);
        return true;
    }
};

// The file filter of every save-file dialog.
inline const QString kSaveFileFilter = QStringLiteral("Sauvegarde QLV 40 (*.qlv)|*.qlv");
