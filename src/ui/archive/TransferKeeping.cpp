#include "ui/archive/TransferKeeping.h"

#include "core/archive/Archive.h"
#include "core/platform/MainShell.h"
#include "core/platform/UiServices.h"

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
    ImportResult result = ArchiveFinishedTransfer(store, {}, portName);
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
