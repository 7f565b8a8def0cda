#include "core/archive/Archive.h"
#include "core/store/Validity.h"
#include "core/tables/DataSpan.h"
#include "sim/SampleDevice.h"
#include "support/EnvironmentGuard.h"
#include "support/FakeWindowHost.h"
#include "ui/app/FrmDataType.h"
#include "ui/archive/CoverageCalendar.h"
#include "ui/archive/DlgVenues.h"
#include "ui/archive/FrmArchives.h"
#include "ui/compliance/ComplianceWindow.h"
#include "ui/shell/ShellHarness.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <set>

namespace {

std::set<QDate> levelDays(const LeqTable& table) {
    std::set<QDate> days;
    for (int row = 1; row <= LeqTable::rowCount; ++row)
        if (isValidLevelOrEventRow(table, row))
            days.insert(QDate(2000 + table(row, 6), table(row, 5), table(row, 3)));
    return days;
}

int rowsOn(const LeqTable& table, const QDate& first, const QDate& last) {
    int rows = 0;
    for (int row = 1; row <= LeqTable::rowCount; ++row) {
        if (!isValidLevelOrEventRow(table, row)) continue;
        const QDate day(2000 + table(row, 6), table(row, 5), table(row, 3));
        rows += day >= first && day <= last;
    }
    return rows;
}

// Makes an archive holding the device the program's archive; its path.
QString archiveWindowArchiveOf(const QTemporaryDir& dir, EnvironmentGuard& env, const DeviceData& device) {
    const QString path = dir.filePath(QStringLiteral("archive.sqlite"));
    env.set("VORL_ARCHIVE", path.toUtf8());
    ArchiveLocation location = ParseArchiveLocation(path).value();
    const auto archive = Archive::open(location).value();
    EXPECT_TRUE(archive &&
                archive->importDownload(device, 5, {SourceKind::File, QStringLiteral("sample.qlv")}).ok());
    return path;
}

// Days chosen on the calendar become the data in memory, and "Dernières données utilisées" takes
// the analysis commands to them.
TEST(ArchivesWindow, LoadedPeriodReachesTheAnalysisWindows) {
    QTemporaryDir dir;
    EnvironmentGuard env;
    const DeviceData device = MakeSampleDevice({5, 7, 0.75, false});
    const QString path = archiveWindowArchiveOf(dir, env, device);

    FakeAppContext app;
    FrmArchives window(app.ctx);
    app.archive.waitForIdle();
    ASSERT_TRUE(window.hasArchive());
    ASSERT_EQ(window.devicesTable()->rowCount(), 1);
    EXPECT_EQ(window.downloadsTable()->rowCount(), 1);
    const std::set<QDate> days = levelDays(device.Leq_Records);
    ASSERT_GT(days.size(), 4u);
    const QDate first = *std::next(days.begin(), 2), last = first.addDays(1);

    // Two days picked with a click and a shift-click on the calendar itself.
    CoverageCalendar* calendar = window.calendar();
    calendar->resize(calendar->sizeHint());
    auto pointOf = [&](const QDate& day) {
        for (int y = 0; y < calendar->height(); y += 4)
            for (int x = 0; x < calendar->width(); x += 4)
                if (calendar->dayAt({x, y}) == day) return QPoint(x, y);
        return QPoint(-1, -1);
    };
    QTest::mouseClick(calendar, Qt::LeftButton, {}, pointOf(first));
    QTest::mouseClick(calendar, Qt::LeftButton, Qt::ShiftModifier, pointOf(last));
    ASSERT_EQ(calendar->selection().first(), first);
    ASSERT_EQ(calendar->selection().last(), last);

    window.loadSelectedPeriod();
    app.archive.waitForIdle();
    EXPECT_TRUE(app.ui.messages.empty());
    EXPECT_TRUE(isTrue(app.store.Data_Loaded));
    EXPECT_EQ(app.store.Device_Version, 5);
    EXPECT_FALSE(app.store.Serial_Number.isEmpty());
    EXPECT_EQ(rowsOn(app.store.Leq_Records, first, last), rowsOn(device.Leq_Records, first, last));
    // Besides the period, only the last record before it comes along (the first line's context), and
    // the morning after it, which ends the period's last night.
    EXPECT_EQ(levelDays(app.store.Leq_Records),
              (std::set<QDate>{first.addDays(-1), first, last, last.addDays(1)}));
    // The data stands for the days chosen, which the other windows' defaults then follow.
    const LoadedDayRange loaded = LoadedDays(app.store);
    EXPECT_EQ(std::make_pair(loaded.first, loaded.last), std::make_pair(first, last));

    app.store.Requested_View = QStringLiteral("Graphique Leq");
    FrmDataType dialog(app.ctx);
    ASSERT_TRUE(dialog.findChild<QRadioButton*>(QStringLiteral("Option_Last_Data"))->isChecked());
    QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("Cmd_Ok")), Qt::LeftButton);
    EXPECT_EQ(app.windows.opened.back(), WindowId::frmInGraphique_v5);

    // The venue typed in the list is the archive's.
    window.devicesTable()->item(0, 1)->setText(QStringLiteral("Le Zinc"));
    app.archive.waitForIdle();
    ArchiveLocation location = ParseArchiveLocation(path).value();
    EXPECT_EQ(Archive::open(location).value()->devices()->at(0).venue, QStringLiteral("Le Zinc"));

    // A name the archive refuses is said, and the name in force stays, in the list and the archive.
    window.devicesTable()->item(0, 1)->setText(QString(Archive::kMaxVenueLength + 1, QLatin1Char('x')));
    app.archive.waitForIdle();
    ASSERT_EQ(app.ui.messages.size(), 1u);
    EXPECT_TRUE(app.ui.messages[0].text.contains(QString::number(Archive::kMaxVenueLength)))
        << app.ui.messages[0].text.toStdString();
    EXPECT_EQ(window.devicesTable()->item(0, 1)->text(), QStringLiteral("Le Zinc"));
    EXPECT_EQ(Archive::open(location).value()->devices()->at(0).venue, QStringLiteral("Le Zinc"));
}

// "Lieux ...": a venue made from the keyboard, the device attached to it with an open end and listed;
// an overlapping stay elsewhere is refused with the archive's reason and changes nothing.
TEST(ArchivesWindow, VenuesDialogMakesVenuesAndRefusesOverlappingStays) {
    QTemporaryDir dir;
    EnvironmentGuard env;
    const QString path = archiveWindowArchiveOf(dir, env, MakeSampleDevice({5, 7, 0.75, false}));
    FakeAppContext app;
    FrmArchives window(app.ctx);
    app.archive.waitForIdle();
    QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("Cmd_Lieux")), Qt::LeftButton);
    auto* dialog = window.findChild<DlgVenues*>();
    ASSERT_NE(dialog, nullptr);
    app.archive.waitForIdle();
    QTableWidget* list = dialog->venuesTable();
    auto rows = [list] {
        QStringList shown;
        for (int row = 0; row < list->rowCount(); ++row)
            for (int column = 0; column < list->columnCount(); ++column)
                shown << list->item(row, column)->text();
        return shown;
    };
    auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("Text_Nom_Lieu"));
    auto* venue = dialog->findChild<QComboBox*>(QStringLiteral("Combo_Lieu"));
    auto* from = dialog->findChild<QDateEdit*>(QStringLiteral("Date_Du"));
    auto* fromOpen = dialog->findChild<QCheckBox*>(QStringLiteral("Check_Du_Ouvert"));
    auto* to = dialog->findChild<QDateEdit*>(QStringLiteral("Date_Au"));
    auto* toOpen = dialog->findChild<QCheckBox*>(QStringLiteral("Check_Au_Ouvert"));
    auto* attach = dialog->findChild<QPushButton*>(QStringLiteral("Cmd_Attacher"));
    auto create = [&](const QString& venueName) {
        name->setFocus();
        QTest::keyClicks(name, venueName);
        QTest::keyClick(name, Qt::Key_Return);
        app.archive.waitForIdle();
        EXPECT_EQ(venue->currentText(), venueName); // the new venue is the one to attach to
    };
    create(QStringLiteral("Le Zinc"));
    EXPECT_EQ(rows(), (QStringList{"Le Zinc", "(aucun appareil)", "", ""}));

    from->setDate(QDate(2026, 10, 1));
    ASSERT_TRUE(toOpen->isChecked());
    QTest::mouseClick(attach, Qt::LeftButton);
    app.archive.waitForIdle();
    const QString serial = window.devicesTable()->item(0, 0)->text();
    const QStringList attached{"Le Zinc", serial + " (id 1)", "01/10/2026", "…"};
    EXPECT_EQ(rows(), attached);

    // Another venue from an open start up to a day the stay above covers: refused.
    create(QStringLiteral("La Cave"));
    fromOpen->setChecked(true);
    toOpen->setChecked(false);
    to->setDate(QDate(2026, 10, 15));
    QTest::mouseClick(attach, Qt::LeftButton);
    app.archive.waitForIdle();
    EXPECT_EQ(dialog->messageText(),
              QStringLiteral("L'appareil 1 est déjà au lieu « Le Zinc » du 01/10/2026 au …."));
    EXPECT_EQ(rows(), (QStringList{"La Cave", "(aucun appareil)", "", ""} + attached));
    ArchiveLocation location = ParseArchiveLocation(path).value();
    EXPECT_EQ(Archive::open(location).value()->venueDevices()->size(), 1u);
    EXPECT_TRUE(app.ui.messages.empty());

    // The device removed in the window while the dialog is open leaves both its lists.
    QTest::keyClicks(window.findChild<QLineEdit*>(QStringLiteral("Text_Retirer")), serial);
    QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("Cmd_Retirer")), Qt::LeftButton);
    app.archive.waitForIdle();
    EXPECT_EQ(dialog->findChild<QComboBox*>(QStringLiteral("Combo_Appareil"))->count(), 0);
    EXPECT_EQ(rows(),
              (QStringList{"La Cave", "(aucun appareil)", "", "", "Le Zinc", "(aucun appareil)", "", ""}));
}

// Two memories of the same days (different contents) hold more levels than the store: the whole span
// is refused with the longest period that fits, which the calendar then offers and which loads.
TEST(ArchivesWindow, RefusedPeriodOffersTheLongestThatFits) {
    QTemporaryDir dir;
    EnvironmentGuard env;
    const QString path = dir.filePath(QStringLiteral("archive.sqlite"));
    env.set("VORL_ARCHIVE", path.toUtf8());
    std::set<QDate> days;
    {
        ArchiveLocation location = ParseArchiveLocation(path).value();
        const auto archive = Archive::open(location).value();
        for (quint32 seed : {1u, 2u}) {
            const DeviceData device = MakeSampleDevice({5, seed, 0.75, false});
            days.merge(levelDays(device.Leq_Records));
            ASSERT_TRUE(archive->importDownload(device, 5, {SourceKind::File, QString::number(seed)}).ok());
        }
    }
    FakeAppContext app;
    FrmArchives window(app.ctx);
    app.archive.waitForIdle();
    ASSERT_EQ(window.devicesTable()->rowCount(), 1);
    window.calendar()->setSelection(*days.begin(), *days.rbegin());
    window.loadSelectedPeriod();
    app.archive.waitForIdle();
    ASSERT_EQ(app.ui.messages.size(), 1u);
    EXPECT_EQ(app.ui.messages[0].icon, MessageIcon::Warning);
    EXPECT_FALSE(isTrue(app.store.Data_Loaded));
    const CalendarSelection offered = window.calendar()->selection();
    EXPECT_EQ(offered.first(), *days.begin());
    EXPECT_LT(offered.last(), *days.rbegin());
    window.loadSelectedPeriod();
    app.archive.waitForIdle();
    EXPECT_TRUE(isTrue(app.store.Data_Loaded));
    // The days offered and the morning after them.
    EXPECT_EQ(levelDays(app.store.Leq_Records).size(), static_cast<std::size_t>(offered.dayCount()) + 1);
}

// An archive that cannot be opened is told in the window; its commands are off, the program goes on.
TEST(ArchivesWindow, UnusableArchiveIsSaid) {
    QTemporaryDir dir;
    EnvironmentGuard env;
    const QString corrupt = dir.filePath(QStringLiteral("corrupt.sqlite"));
    QFile file(corrupt);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(8192, 'x'));
    file.close();
    for (const QByteArray& location : {corrupt.toUtf8(), QByteArray("off")}) {
        env.set("VORL_ARCHIVE", location);
        FakeAppContext app;
        FrmArchives window(app.ctx);
        app.archive.waitForIdle();
        EXPECT_FALSE(window.hasArchive()) << location.constData();
        EXPECT_TRUE(window.findChild<QLabel*>(QStringLiteral("Label_Location"))
                        ->text()
                        .startsWith(QStringLiteral("Archive indisponible")));
        for (const char* button : {"Cmd_Importer", "Cmd_Charger", "Cmd_Exporter", "Cmd_Verifier"})
            EXPECT_FALSE(window.findChild<QPushButton*>(QString::fromLatin1(button))->isEnabled()) << button;
    }
}

// A device archived by mistake is removed with all its downloads, and only once its serial is typed.
TEST(ArchivesWindow, ADeviceIsRemovedOnceItsSerialIsTyped) {
    QTemporaryDir dir;
    EnvironmentGuard env;
    const QString path = dir.filePath(QStringLiteral("archive.sqlite"));
    env.set("VORL_ARCHIVE", path.toUtf8());
    ArchiveLocation location = ParseArchiveLocation(path).value();
    {
        const auto archive = Archive::open(location).value();
        ASSERT_TRUE(archive);
        for (int generation : {3, 5})
            ASSERT_TRUE(archive
                            ->importDownload(MakeSampleDevice({generation, 7, 0.5, false}), generation,
                                             {SourceKind::File, QStringLiteral("sample.qlv")})
                            .ok());
    }
    FakeAppContext app;
    FrmArchives window(app.ctx);
    app.archive.waitForIdle();
    window.chooseDevice(0);
    app.archive.waitForIdle();
    const QString serial = window.devicesTable()->item(0, 0)->text();
    const QString generation = window.devicesTable()->item(0, 2)->text();
    auto* typed = window.findChild<QLineEdit*>(QStringLiteral("Text_Retirer"));
    auto* remove = window.findChild<QPushButton*>(QStringLiteral("Cmd_Retirer"));
    for (const QString& text : {QString(), serial + QStringLiteral("0")}) {
        typed->setText(text);
        EXPECT_FALSE(remove->isEnabled());
        window.removeChosenDevice();
        EXPECT_EQ(window.devicesTable()->rowCount(), 2);
    }
    typed->setText(serial);
    ASSERT_TRUE(remove->isEnabled());
    QTest::mouseClick(remove, Qt::LeftButton);
    app.archive.waitForIdle();
    ASSERT_EQ(window.devicesTable()->rowCount(), 1);
    EXPECT_NE(window.devicesTable()->item(0, 2)->text(), generation);
    EXPECT_TRUE(typed->text().isEmpty());
    EXPECT_EQ(Archive::open(location).value()->devices()->size(), 1u);
}

// While the archive works the windows say so and hold their commands back, without freezing; a window
// closed before its answer comes drops it.
TEST(ArchivesWindow, WindowsWaitForTheArchiveWithoutFreezingAndMayCloseMeanwhile) {
    QTemporaryDir dir;
    EnvironmentGuard env;
    const DeviceData device = MakeSampleDevice({5, 7, 0.75, false});
    archiveWindowArchiveOf(dir, env, device);
    FakeAppContext app;
    auto* archives = new FrmArchives(app.ctx);
    auto* busyLine = archives->findChild<QLabel*>(QStringLiteral("Label_Archive_Busy"));
    auto* import = archives->findChild<QPushButton*>(QStringLiteral("Cmd_Importer"));
    ASSERT_TRUE(app.archive.isBusy()); // the devices are being read
    EXPECT_FALSE(busyLine->text().isEmpty());
    EXPECT_FALSE(import->isEnabled());
    EXPECT_EQ(archives->cursor().shape(), Qt::WaitCursor);
    app.archive.waitForIdle();
    EXPECT_TRUE(busyLine->text().isEmpty());
    EXPECT_TRUE(import->isEnabled());
    EXPECT_NE(archives->cursor().shape(), Qt::WaitCursor);
    ASSERT_EQ(archives->devicesTable()->rowCount(), 1);

    // Closed while the chosen days are read: the data in memory stays as it was.
    const std::set<QDate> days = levelDays(device.Leq_Records);
    archives->calendar()->setSelection(*days.begin(), *std::next(days.begin()));
    archives->loadSelectedPeriod();
    delete archives;
    // Without data in memory, "Conformité" computes the archived device; one closed while it computes.
    ComplianceWindow compliance(app.ctx);
    compliance.setAttribute(Qt::WA_DeleteOnClose, false);
    auto* closing = new ComplianceWindow(app.ctx);
    app.archive.waitForIdle();
    EXPECT_FALSE(isTrue(app.store.Data_Loaded));
    compliance.compute();
    closing->compute();
    delete closing;
    app.archive.waitForIdle();
    ASSERT_NE(compliance.report(), nullptr);
    EXPECT_FALSE(compliance.report()->nights.empty());
    EXPECT_TRUE(app.ui.messages.empty());
}

// Each entry of the "&Archives" menu opens one window in the work area; asking again brings the same
// one forward.
TEST(ArchivesWindow, OneWindowPerEntryOfTheMenu) {
    ShellHarness h;
    const struct {
        const char* entry;
        QWidget* (FrmMain::*window)() const;
    } cases[] = {{"mnuArchives", &FrmMain::archivesWindow}, {"mnuConformite", &FrmMain::complianceWindow}};
    for (const auto& c : cases) {
        QAction* entry = h.action(c.entry);
        ASSERT_NE(entry, nullptr) << c.entry;
        entry->trigger();
        QPointer<QWidget> first = (h.main.get()->*c.window)();
        ASSERT_TRUE(first) << c.entry;
        entry->trigger();
        EXPECT_EQ((h.main.get()->*c.window)(), first.data()) << c.entry;
    }
}

} // namespace

// A read that fails is said in a message box, not shown as an archive without devices.
TEST(ArchivesWindow, AFailedReadIsSaidNotShownEmpty) {
    QTemporaryDir dir;
    EnvironmentGuard env;
    const QString path = dir.filePath(QStringLiteral("archive.sqlite"));
    env.set("VORL_ARCHIVE", path.toUtf8());
    ArchiveLocation location = ParseArchiveLocation(path).value();
    {
        const auto archive = Archive::open(location).value();
        ASSERT_TRUE(archive);
        ASSERT_TRUE(archive->importDownload(MakeSampleDevice({5, 2, 0.5, false}), 5, {}).ok());
    }
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("archives-window-drop"));
        db.setDatabaseName(path);
        ASSERT_TRUE(db.open());
        ASSERT_TRUE(QSqlQuery(db).exec(QStringLiteral("DROP TABLE levels")));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("archives-window-drop"));
    FakeAppContext app;
    FrmArchives window(app.ctx);
    app.archive.waitForIdle();
    ASSERT_TRUE(window.hasArchive());
    ASSERT_EQ(app.ui.messages.size(), 1u);
    EXPECT_EQ(app.ui.messages[0].icon, MessageIcon::Warning);
    EXPECT_TRUE(app.ui.messages[0].text.startsWith(QStringLiteral("Lecture de l'archive impossible")))
        << app.ui.messages[0].text.toStdString();
}
