// The shared archive of the user guide, set up exactly as the guide says on a fresh server: an owner
// who creates and migrates it, a PC role that may add and read but neither migrate nor remove.
#include "ScratchArchive.h"
#include "TinyDownloads.h"

#include "core/archive/ArchiveNightVerdicts.h"

#include <QCoreApplication>

namespace {

struct RolesServer {
    ArchiveLocation admin, owner, pc;
    QString database;
};

bool rolesRun(const ArchiveLocation& as, const QStringList& statements) {
    for (const QString& sql : statements)
        if (!rawQuery(as, sql).isValid()) {
            ADD_FAILURE() << sql.toStdString();
            return false;
        }
    return true;
}

} // namespace

TEST(ArchiveRoles, TheGuidesLeastPrivilegeRecipeWorksAsWritten) {
    RolesServer s;
    if (!serverLocation(s.admin)) GTEST_SKIP() << "no PostgreSQL server given (VORL_TEST_PG_URL or PGHOST)";
    const QString suffix = QString::number(QCoreApplication::applicationPid());
    s.database = QStringLiteral("vorl_roles_") + suffix;
    s.owner = s.admin;
    s.owner.user = QStringLiteral("vorl_owner_") + suffix;
    s.owner.password = QStringLiteral("owner-secret");
    s.owner.database = s.database;
    s.pc = s.owner;
    s.pc.user = QStringLiteral("vorl_pc1_") + suffix;
    s.pc.password = QStringLiteral("pc-secret");
    const QString owner = s.owner.user, pc = s.pc.user, db = s.database;

    // As the server's administrator: the two roles (createuser --pwprompt) and the owner's database.
    ASSERT_TRUE(rolesRun(s.admin, {QStringLiteral("CREATE ROLE %1 LOGIN PASSWORD 'owner-secret'").arg(owner),
                                   QStringLiteral("CREATE ROLE %1 LOGIN PASSWORD 'pc-secret'").arg(pc),
                                   QStringLiteral("CREATE DATABASE %1 OWNER %2").arg(db, owner)}));
    {
        // The owner creates the tables, here those of an older schema, then grants the PC its rights.
        auto old = ArchiveDatabase::connect(s.owner).value();
        ASSERT_TRUE(old);
        ASSERT_TRUE(dropEveryTable(*old));
        ASSERT_TRUE(old->migrate({2, 0}));
    }
    ASSERT_TRUE(rolesRun(
        s.owner,
        {QStringLiteral("GRANT CONNECT ON DATABASE %1 TO %2").arg(db, pc),
         QStringLiteral("GRANT USAGE ON SCHEMA public TO %1").arg(pc),
         QStringLiteral("GRANT SELECT, INSERT ON ALL TABLES IN SCHEMA public TO %1").arg(pc),
         QStringLiteral("GRANT UPDATE (venue) ON devices TO %1").arg(pc),
         QStringLiteral("GRANT USAGE ON ALL SEQUENCES IN SCHEMA public TO %1").arg(pc),
         QStringLiteral("ALTER DEFAULT PRIVILEGES IN SCHEMA public GRANT SELECT, INSERT ON TABLES TO %1")
             .arg(pc),
         QStringLiteral("ALTER DEFAULT PRIVILEGES IN SCHEMA public GRANT USAGE ON SEQUENCES TO %1")
             .arg(pc)}));

    // The PC on the older schema is told to have the owner migrate it; the owner does.
    QString error;
    EXPECT_FALSE(openOrWhy(s.pc, error));
    EXPECT_TRUE(error.contains(QStringLiteral("propriétaire")) && error.contains(owner))
        << error.toStdString();
    ASSERT_TRUE(openOrWhy(s.owner, error)) << error.toStdString();

    {
        auto archive = openOrWhy(s.pc, error);
        ASSERT_TRUE(archive) << error.toStdString();
        const ImportResult r = archive->importDownload(
            tinyDownload(7, {{at(3, 10, 0), 10, 80}, {at(3, 10, 10), 10, 81}}, at(3, 11, 0)), 5,
            {SourceKind::File, QStringLiteral("f")});
        ASSERT_TRUE(r) << r.error().toStdString();
        ASSERT_EQ(r->status, ImportStatus::Imported);
        const ArchiveStatus named = archive->setVenue(r->deviceId, QStringLiteral("Le Zinc"));
        EXPECT_TRUE(named) << named.error().toStdString();
        EXPECT_TRUE(archive->verify().ok());
        // The PC keeps the calendar's night verdicts, which the owner's removal takes away too.
        const auto nights =
            ArchivedNightVerdicts(*archive, r->deviceId, QDate(2026, 10, 2), QDate(2026, 10, 3));
        ASSERT_TRUE(nights) << nights.error().toStdString();
        const QString kept =
            QStringLiteral("SELECT count(*) FROM night_verdicts WHERE device_id = %1").arg(r->deviceId);
        EXPECT_EQ(rawQuery(s.owner, kept).toInt(), 2);
        const ArchiveStatus removed = archive->removeDevice(r->deviceId);
        EXPECT_FALSE(removed.ok());
        EXPECT_TRUE(removed.error().contains(owner)) << removed.error().toStdString();
        EXPECT_TRUE(Archive::open(s.owner).value()->removeDevice(r->deviceId).ok());
        EXPECT_EQ(rawQuery(s.owner, kept).toInt(), 0);
    }

    rolesRun(s.admin, {QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(db),
                       QStringLiteral("DROP ROLE IF EXISTS %1").arg(pc),
                       QStringLiteral("DROP ROLE IF EXISTS %1").arg(owner)});
}
