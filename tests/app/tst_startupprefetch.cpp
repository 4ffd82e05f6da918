#include "WordDatabase.h"
#include "app/StartupPrefetch.h"
#include "base/look/ProgramIcon.h"
#include "words/WordStore.h"

#include <QFile>
#include <QSqlDatabase>
#include <QTemporaryDir>
#include <QTest>

#include "TestDoubles.h"

class StartupPrefetchTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The prefetch only warms caches: whatever the program folder holds, it leaves no connection
    // behind and the real start-up steps work as before.
    void leavesNothingBehind_data()
    {
        QTest::addColumn<bool>("cursor");
        QTest::addColumn<bool>("database");
        QTest::newRow("full program folder") << true << true;
        QTest::newRow("no cursor") << false << true;
        QTest::newRow("empty folder") << false << false;
    }
    void leavesNothingBehind()
    {
        QFETCH(bool, cursor);
        QFETCH(bool, database);
        QTemporaryDir folder;
        if (cursor)
            QVERIFY(QFile::copy(QStringLiteral(LEXITOR_HAND_CURSOR),
                                folder.filePath(QStringLiteral("HAND-M.CUR"))));
        const QString db = folder.filePath(QStringLiteral("dbWords.mdb"));
        if (database)
            WordDatabase::write(db, {QStringLiteral("AA"), QStringLiteral("CAT")});

        {
            StartupPrefetch prefetch(folder.path());
        }
        QCOMPARE(QSqlDatabase::connectionNames(), QStringList());
        QCOMPARE(ProgramIcon().availableSizes().size(), 2);

        if (database) {
            ScriptedRandom random;
            WordStore store(random);
            store.create();
            store.open(db);
            QVERIFY(store.IsWordInDb(2, QStringLiteral("AA")));
            store.release();
        }
    }
};

QTEST_MAIN(StartupPrefetchTest)
#include "tst_startupprefetch.moc"
