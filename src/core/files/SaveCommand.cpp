#include "core/files/SaveCommand.h"

#include "core/files/SaveFile.h"
#include "core/store/Labels.h"
#include "core/store/Validity.h"
#include "core/tables/DataSpan.h"

#include <QDir>
#include <QFileInfo>
#include <array>
#include <optional>

namespace {

constexpr std::array<MenuEntry, 5> kLockedMenus = {MenuEntry::mnuAbout, MenuEntry::mnuAnalyse,
                                                   MenuEntry::mnuPort, MenuEntry::mnuSave_As,
                                                   MenuEntry::mnuQuitter};

// The menus that could start another operation stay locked for the whole command and are given
// back on every way out.
class MenuLock {
public:
    explicit MenuLock(MainShell& shell) : m_shell(shell) { set(false); }
    ~MenuLock() { set(true); }
    MenuLock(const MenuLock&) = delete;
    MenuLock& operator=(const MenuLock&) = delete;

private:
    void set(bool enabled) {
        for (MenuEntry entry : kLockedMenus)
            m_shell.setMenuEnabled(entry, enabled);
    }
    MainShell& m_shell;
};

const QString kCannotSaveTitle = QStringLiteral("Impossible de sauver les données !!!");

// Shown after the second attempt failed too.
const QString kSaveFailedText = QStringLiteral("Les données n'ont pas été sauvegardées !!!");

// Steps between two runs of the window events while writing: often enough to keep the window alive,
// not so often that the bar is repainted sixteen thousand times.
constexpr int kEventsEvery = 64;

QString dayMonthYear(int day, int month, int year) {
    return TwoDigits(day) + QLatin1Char(' ') + MonthLabel(month) + QLatin1Char(' ') + QString::number(year);
}
QString dayMonthYear(const LeqTable& records, int row) {
    return dayMonthYear(records(row, 3), records(row, 5), 2000 + records(row, 6));
}
QString dayMonthYear(const QDate& day) {
    return dayMonthYear(day.day(), day.month(), day.year());
}

enum class Attempt { Saved, Cancelled, Failed };

class SaveRun {
public:
    SaveRun(SaveCommandEnv& env, int generation, int leqRows)
        : m_env(env), m_generation(generation), m_leqRows(leqRows) {}

    Attempt attempt(const QString& defaultName) {
        const std::optional<QString> chosen = askFileName(defaultName);
        if (!chosen) return Attempt::Cancelled;
        m_path = *chosen;
        return write() ? Attempt::Saved : Attempt::Failed;
    }
    const QString& path() const { return m_path; }

private:
    // The name that will be written, or nothing when the user cancelled.
    std::optional<QString> askFileName(QString name) {
        for (;;) {
            std::optional<QString> answer = m_env.ui.saveFileName(name, kSaveFileFilter);
            if (!answer) return answer;
            if (answer->isEmpty()) {
                m_env.ui.message(MessageIcon::Critical, kCannotSaveTitle,
                                 QStringLiteral("Veuillez entrer un nom de sauvegarde SVP !!!"));
                name.clear();
                continue;
            }
            const QString written = WithSaveExtension(*answer);
            // The file dialog asked about the name typed; a different name on disk is asked about here.
            if (written == *answer || !QFileInfo::exists(written) || confirmReplace(written)) return written;
            name = written;
        }
    }

    bool confirmReplace(const QString& path) {
        return m_env.ui.question(QStringLiteral("Confirmer l'enregistrement"),
                                 QStringLiteral("Le fichier \"%1\" existe déjà.\nVoulez-vous le remplacer ?")
                                     .arg(QDir::toNativeSeparators(path)));
    }

    bool write() {
        SaveProgress progress(m_generation);
        m_env.progress.open(progress.view());
        m_env.clock.processEvents();

        int sinceEvents = 0;
        auto step = [&] {
            const bool textChanged = progress.step();
            m_env.progress.step(progress.view());
            if (textChanged || ++sinceEvents >= kEventsEvery) {
                sinceEvents = 0;
                m_env.clock.processEvents();
            }
        };
        m_env.ui.setBusyCursor(true);
        const bool written = WriteSaveFile(m_env.store, m_path, m_generation, m_leqRows, step);
        m_env.ui.setBusyCursor(false);
        if (!written) {
            // The writer has dropped its temporary file; the next attempt starts from a fresh window.
            m_env.progress.close();
            return false;
        }
        progress.complete();
        m_env.progress.step(progress.view());
        m_env.clock.sleep(1500);
        m_env.progress.close();
        return true;
    }

    SaveCommandEnv& m_env;
    int m_generation;
    int m_leqRows;
    QString m_path;
};

} // namespace

SaveLayout SaveLayoutFor(int deviceVersion) {
    return deviceVersion == 3 ? SaveLayout{3, 4096} : SaveLayout{5, 8192};
}

QString DefaultSaveName(const LeqTable& records, int rows) {
    rows = qBound(0, rows, LeqTable::rowCount);
    int first = 0, last = 0;
    for (int row = 1; row <= rows; ++row) {
        if (!hasValidRecordDate(records, row)) continue;
        if (first == 0) first = row;
        last = row;
    }
    if (first == 0) return {};
    return QStringLiteral("Données QLV 40 du ") + dayMonthYear(records, first) + QStringLiteral(" au ") +
           dayMonthYear(records, last);
}

QString DefaultSaveName(const DataStore& store, int rows) {
    const LoadedDayRange days = LoadedDays(store);
    if (!days.period) return DefaultSaveName(store.Leq_Records, rows);
    return QStringLiteral("Données QLV 40 du ") + dayMonthYear(days.first) + QStringLiteral(" au ") +
           dayMonthYear(days.last);
}

QString DatedSaveName(const QDate& today) {
    return QStringLiteral("Sauvegarde QLV 40 du %1-%2-%3")
        .arg(TwoDigits(today.day()), TwoDigits(today.month()))
        .arg(today.year(), 4, 10, QLatin1Char('0'));
}

QString WithSaveExtension(const QString& path) {
    const QString extension = QStringLiteral(".qlv");
    if (path.endsWith(extension)) return path;
    if (path.endsWith(extension, Qt::CaseInsensitive)) return path.chopped(extension.size()) + extension;
    return path + extension;
}

SaveResult SaveDataAs(SaveCommandEnv& env, int generation, int leqRows) {
    if (env.closeOpenWindows) env.closeOpenWindows();
    MenuLock lock(env.shell);

    if (env.store.Data_Loaded != kTrue) {
        env.ui.message(
            MessageIcon::None, QStringLiteral("Impossible de sauvegarder les données !!!"),
            QStringLiteral("Veuillez au préalable charger des données pour utiliser à cette fonction !!!"));
        return SaveResult::NoData;
    }

    SaveRun run(env, generation, leqRows);
    const QString name = DefaultSaveName(env.store, leqRows);
    if (!name.isEmpty()) {
        const Attempt first = run.attempt(name);
        if (first == Attempt::Saved) return SaveResult::Saved;
        if (first == Attempt::Cancelled) return SaveResult::Cancelled;
    }

    const QDate today = env.today ? env.today() : QDate::currentDate();
    const Attempt second = run.attempt(DatedSaveName(today));
    if (second == Attempt::Saved) return SaveResult::Saved;
    QString text = kSaveFailedText;
    if (second == Attempt::Failed) text += QStringLiteral("\nFichier : ") + run.path();
    env.ui.message(MessageIcon::Critical, kCannotSaveTitle, text);
    return SaveResult::Failed;
}
