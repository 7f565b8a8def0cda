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

    // The note comes first, where a narrow title bar never elides it, and replaces the one of the
    // previous transfer. Memory now holds the transfer: a period of the archive loaded before is no
    // longer there and leaves the status line.
    QString caption = shell.caption();
    if (!m_captionNote.isEmpty() && caption.startsWith(m_captionNote + kCaptionNoteSeparator))
        caption.remove(0, m_captionNote.size() + kCaptionNoteSeparator.size());
    const qsizetype loaded = caption.indexOf(kCaptionNoteSeparator + kLoadedPeriodCaption);
    if (loaded >= 0) {
        const qsizetype next = caption.indexOf(kCaptionNoteSeparator, loaded + kCaptionNoteSeparator.size());
        caption = caption.left(loaded) + (next >= 0 ? caption.mid(next) : QString());
    }
    m_captionNote = ImportResultText(result);
    shell.setCaption(m_captionNote + kCaptionNoteSeparator + caption);

    if (result.status == ImportStatus::Imported && m_archived) m_archived();
    if (result.status == ImportStatus::Failed)
        ui.message(
            MessageIcon::Warning, kArchiveTitle,
            m_captionNote +
                QStringLiteral("\nUtilisez « Enregistrer Sous ... » pour les garder dans un fichier."));
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
