// The word store on a machine without the SQLite driver: runs in its own process, because Qt
// loads a driver plugin once per process.

#include "TestDoubles.h"
#include "base/ErrorReporting.h"
#include "words/WordStore.h"

#include <QCoreApplication>
#include <QSqlDatabase>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

class WordStoreWithoutDriverTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(plugins.isValid());
        QCoreApplication::setLibraryPaths({plugins.path()});
        QVERIFY(!QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE")));
    }

    void createFailsWithTheDriversMessage()
    {
        ScriptedRandom random;
        WordStore store(random);
        QString message;
        try {
            store.create();
        } catch (const AppError& e) {
            message = e.description();
        }
        QCOMPARE(message, QStringLiteral("Driver not loaded"));
        QVERIFY(!QSqlDatabase::contains(WordStore::ConnectionName));
        // The start-up goes on to find no connection object.
        for (const auto& call : {std::function<void()>([&] { store.isOpen(); }),
                                 std::function<void()>([&] { store.close(); }),
                                 std::function<void()>([&] { store.open(QStringLiteral("x")); })}) {
            try {
                call();
                QFAIL("no error");
            } catch (const AppError& e) {
                QCOMPARE(e.description(),
                         QStringLiteral("Object variable or With block variable not set"));
            }
        }
    }

private:
    QTemporaryDir plugins;
};

QTEST_GUILESS_MAIN(WordStoreWithoutDriverTest)
#include "tst_wordstore_nodriver.moc"
