#pragma once

class QCoreApplication;

// Loads Qt's own French texts (file, print and question dialogs, message-box buttons) so that the
// standard dialogs speak the language of the rest of the program. Returns false when the Qt
// translations are not installed; the dialogs then stay in English and nothing else changes.
bool installQtFrenchTranslations(QCoreApplication& app);
