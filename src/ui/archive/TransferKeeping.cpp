#include "ui/archive/TransferKeeping.h"

#include "core/archive/ArchiveWorker.h"
#include "core/platform/MainShell.h"
#include "core/platform/UiServices.h"

namespace {
const QString kArchiveTitle = QStringLiteral("Archivage");
const QString kArchivingNote = QStringLiteral("Archivage en cours ...");
const QString kQuitTitle = QStringLiteral("Quitter");
const QString kQuitText =
    QStringLiteral("Les données du dernier transfert ne sont ni enregistrées ni archivées et "
                   "seront perdues.\nQuitter quand même ?");
} // namespace

void TransferKeeping::archiveTransfer(const DataStore& store, ArchiveWorker& archive, UiServices& ui,
                                      MainShell& shell, const QString& portName) {
    m_archive = &archive;
    m_unkept = store.deviceData();
    // Memory now holds the transfer: a period of the archive loaded before is no longer there and
    // leaves the status line.
    QString caption = shell.caption();
    const qsizetype loaded = caption.indexOf(kCaptionNoteSeparator + kLoadedPeriodCaption);
    if (loaded >= 0) {
        const qsizetype next = caption.indexOf(kCaptionNoteSeparator, loaded + kCaptionNoteSeparator.size());
        shell.setCaption(caption.left(loaded) + (next >= 0 ? caption.mid(next) : QString()));
    }
    setCaptionNote(shell, kArchivingNote);

    const DeviceData data = store.deviceData();
    const int generation = store.Device_Version;
    archive.run(
        nullptr, ArchiveOpenMode::CreateIfMissing,
        [data, generation, portName](Archive& opened) {
            return ArchiveTransferredData(opened, data, generation, portName);
        },
        [this, archiving = ++m_archivings, off = archive.isOff(), &ui, &shell](const ImportResult& archived) {
            ImportOutcome disabled;
            disabled.status = ImportStatus::Disabled;
            const ImportResult result = archived || !off ? archived : ImportResult(disabled);
            // A later transfer is not kept by this one's archiving.
            if (result && result->kept() && archiving == m_archivings) m_unkept.reset();
            setCaptionNote(shell, ImportResultText(result));
            if (result && result->status == ImportStatus::Imported && m_archived) m_archived();
            if (!result)
                ui.message(MessageIcon::Warning, kArchiveTitle,
                           m_captionNote +
                               QStringLiteral("\nUtilisez « Enregistrer Sous ... » pour les garder "
                                              "dans un fichier."));
        });
}

void TransferKeeping::setCaptionNote(MainShell& shell, const QString& note) {
    // The note comes first, where a narrow title bar never elides it, and replaces the previous one.
    QString caption = shell.caption();
    if (!m_captionNote.isEmpty() && caption.startsWith(m_captionNote + kCaptionNoteSeparator))
        caption.remove(0, m_captionNote.size() + kCaptionNoteSeparator.size());
    m_captionNote = note;
    shell.setCaption(m_captionNote + kCaptionNoteSeparator + caption);
}

void TransferKeeping::dataSaved(const DataStore& store) {
    if (holdsUnkeptTransfer(store)) m_unkept.reset();
}

bool TransferKeeping::holdsUnkeptTransfer(const DataStore& store) const {
    // Another data set loaded since (a file, an archived period) already replaced the transfer.
    return m_unkept && isTrue(store.Data_Loaded) && *m_unkept == store.deviceData();
}

bool TransferKeeping::confirmQuit(const DataStore& store, UiServices& ui) const {
    if (m_archive) m_archive->waitForIdle();
    if (!holdsUnkeptTransfer(store)) return true;
    return ui.question(kQuitTitle, kQuitText);
}
