#include "ui/archive/TransferKeeping.h"

#include "core/archive/Archive.h"
#include "core/platform/MainShell.h"
#include "core/platform/UiServices.h"

#include <memory>

namespace {
const QString kArchiveTitle = QStringLiteral("Archivage");
const QString kQuitTitle = QStringLiteral("Quitter");
const QString kQuitText =
    QStringLiteral("Les données du dernier transfert ne sont ni enregistrées ni archivées et "
                   "seront perdues.\nQuitter quand même ?");
} // namespace

ImportResult TransferKeeping::archiveTransfer(const DataStore& store, UiServices& ui, MainShell& shell,
                                              const QString& portName) {
    ui.setBusyCursor(true);
    // The archive takes an unset text (a generation-3 transfer sets no transfer date, a port may have
    // no device name) for a missing value and refuses it: hand it empty texts instead.
    const bool unsetTexts = store.Transfer_Date.isNull() || store.Transfer_Time.isNull();
    std::unique_ptr<DataStore> filled;
    if (unsetTexts) {
        filled = std::make_unique<DataStore>(store);
        for (QString* text : {&filled->Transfer_Date, &filled->Transfer_Time})
            if (text->isNull()) *text = QStringLiteral("");
    }
    const ImportResult result = ArchiveFinishedTransfer(unsetTexts ? *filled : store, {},
                                                        portName.isNull() ? QStringLiteral("") : portName);
    ui.setBusyCursor(false);

    if (result.ok())
        m_unkept.reset();
    else
        m_unkept = store.deviceData();

    // The note replaces the one of the previous transfer; the status line before it stays.
    QString caption = shell.caption();
    if (!m_captionNote.isEmpty() && caption.endsWith(kCaptionNoteSeparator + m_captionNote))
        caption.chop(kCaptionNoteSeparator.size() + m_captionNote.size());
    m_captionNote = ImportResultText(result);
    shell.setCaption(caption + kCaptionNoteSeparator + m_captionNote);

    if (result.status == ImportStatus::Imported && m_archived) m_archived();
    if (result.status == ImportStatus::Failed) ui.message(MessageIcon::Warning, kArchiveTitle, m_captionNote);
    return result;
}

void TransferKeeping::dataSaved(const DataStore& store) {
    if (holdsUnkeptTransfer(store)) m_unkept.reset();
}

bool TransferKeeping::holdsUnkeptTransfer(const DataStore& store) const {
    // Another data set loaded since (a file, an archived period) already replaced the transfer.
    return m_unkept && isTrue(store.Data_Loaded) && *m_unkept == store.deviceData();
}

bool TransferKeeping::confirmQuit(const DataStore& store, UiServices& ui) const {
    if (!holdsUnkeptTransfer(store)) return true;
    return ui.question(kQuitTitle, kQuitText);
}
