#include "TestDoubles.h"
#include "WordDatabase.h"
#include "base/ErrorReporting.h"
#include "words/WordSchema.h"
#include "words/WordStore.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <functional>
#include <memory>

#include <sys/stat.h>

namespace {

const QString NotSet = QStringLiteral("Object variable or With block variable not set");

// The description of the AppError that call throws, or "(no error)".
QString errorOf(const std::function<void()>& call)
{
    try {
        call();
    } catch (const AppError& e) {
        return e.description();
    }
    return QStringLiteral("(no error)");
}

const QStringList SmallList{"AA", "AB", "ZA", "ZO", "BAD", "CAT", "ZZZ", "ABLE", "ZOOM"};

} // namespace

class WordStoreTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void init()
    {
        // Warnings such as "connection is still in use" mean a connection was mishandled.
        QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
        random = ScriptedRandom();
        dir = std::make_unique<QTemporaryDir>();
        QVERIFY(dir->isValid());
        path = dir->filePath(QStringLiteral("dbWords.mdb"));
    }
    void cleanup()
    {
        store.reset();
        QVERIFY(!QSqlDatabase::contains(WordStore::ConnectionName));
        dir.reset();
    }

    void randomPickReachesEveryWord_data()
    {
        QTest::addColumn<int>("length");
        QTest::addColumn<QStringList>("words");
        QTest::newRow("two letters") << 2 << QStringList{"AA", "AB", "ZA", "ZO"};
        QTest::newRow("three letters") << 3 << QStringList{"BAD", "CAT", "ZZZ"};
        QTest::newRow("four letters") << 4 << QStringList{"ABLE", "ZOOM"};
        QTest::newRow("one word") << 3 << QStringList{"ZZZ"};
    }
    void randomPickReachesEveryWord()
    {
        QFETCH(int, length);
        QFETCH(QStringList, words);
        openStore(words);
        const int n = int(words.size());
        for (int row = 1; row <= n; ++row) {
            random.push(row, 1, n);
            QCOMPARE(store->GetRandomDbWord(length), words[row - 1]);
        }
        // The extremes of the fraction land on the first and the last word.
        random.pushFraction(0.0f);
        QCOMPARE(store->GetRandomDbWord(length), words.first());
        random.pushFraction(0.99999f);
        QCOMPARE(store->GetRandomDbWord(length), words.last());
        QCOMPARE(random.draws, n + 2);
    }

    void emptyList_data()
    {
        QTest::addColumn<int>("length");
        QTest::newRow("two letters") << 2;
        QTest::newRow("three letters") << 3;
        QTest::newRow("four letters") << 4;
    }
    void emptyList()
    {
        QFETCH(int, length);
        openStore({});
        QCOMPARE(store->GetRandomDbWord(length), QString());
        QCOMPARE(random.draws, 0);
        QVERIFY(!store->IsWordInDb(length, QString(length, QLatin1Char('A'))));
    }

    void membership_data()
    {
        QTest::addColumn<int>("length");
        QTest::addColumn<QString>("word");
        QTest::addColumn<bool>("found");
        QTest::newRow("first word") << 2 << "AA" << true;
        QTest::newRow("last word") << 4 << "ZOOM" << true;
        QTest::newRow("middle word") << 3 << "CAT" << true;
        QTest::newRow("absent") << 3 << "CAB" << false;
        QTest::newRow("other length's list") << 2 << "CAT" << false;
        QTest::newRow("lower case") << 2 << "aa" << false;
        QTest::newRow("empty") << 2 << "" << false;
        QTest::newRow("quote") << 2 << "A'" << false;
        QTest::newRow("injection") << 2 << "X' OR '1'='1" << false;
        QTest::newRow("statement") << 2 << "AA'; DROP VIEW qryTwoWords; --" << false;
    }
    void membership()
    {
        QFETCH(int, length);
        QFETCH(QString, word);
        QFETCH(bool, found);
        openStore(SmallList);
        QCOMPARE(store->IsWordInDb(length, word), found);
        QVERIFY(store->IsWordInDb(2, QStringLiteral("AA")));
    }

    void meaning_data()
    {
        QTest::addColumn<bool>("withTable");
        QTest::addColumn<QString>("word");
        QTest::addColumn<QString>("meaning");
        QTest::newRow("given") << true << "AA"
                               << "rough lava";
        QTest::newRow("none given") << true << "CAT"
                                    << "";
        QTest::newRow("no such word") << true << "QQ"
                                      << "";
        QTest::newRow("database without meanings") << false << "AA"
                                                   << "";
    }
    void meaning()
    {
        QFETCH(bool, withTable);
        QFETCH(QString, word);
        QFETCH(QString, meaning);
        WordDatabase::write(path, SmallList, {{"AA", "rough lava"}});
        if (!withTable)
            WordDatabase::execute(path, {QStringLiteral("DROP TABLE tblMeanings")});
        openFile(path);
        QCOMPARE(store->meaning(word), meaning);
    }

    void unknownLengthIsRefused()
    {
        openStore(SmallList);
        QVERIFY(errorOf([&] { store->IsWordInDb(5, QStringLiteral("ABCDE")); }).contains("5"));
        QVERIFY(errorOf([&] { store->GetRandomDbWord(1); }).contains("1"));
        QCOMPARE(random.draws, 0);
    }

    void missingView()
    {
        openStore(SmallList, [](const QString& p) { WordDatabase::dropView(p, 3); });
        const QString expected = QStringLiteral("no such table: qryThreeWords");
        QCOMPARE(errorOf([&] { store->IsWordInDb(3, QStringLiteral("CAT")); }), expected);
        QCOMPARE(errorOf([&] { store->GetRandomDbWord(3); }), expected);
        // The other lists still serve.
        QVERIFY(store->IsWordInDb(2, QStringLiteral("ZO")));
        QCOMPARE(store->GetRandomDbWord(4).size(), 4);
    }

    void viewWithoutWordColumn()
    {
        openStore(SmallList, [](const QString& p) { WordDatabase::renameWordColumn(p, 2); });
        QCOMPARE(errorOf([&] { store->IsWordInDb(2, QStringLiteral("AA")); }),
                 QStringLiteral("no such column: fldword"));
        // The random pick reads the first column, whatever its name.
        random.push(4, 1, 4);
        QCOMPARE(store->GetRandomDbWord(2), QStringLiteral("ZO"));
    }

    void nullWord()
    {
        openStore(SmallList, [](const QString& p) { WordDatabase::nullWordAt(p, 2, 2); });
        random.push(2, 1, 4);
        QCOMPARE(errorOf([&] { store->GetRandomDbWord(2); }),
                 QStringLiteral("Invalid use of Null"));
        random.push(3, 1, 4);
        QCOMPARE(store->GetRandomDbWord(2), QStringLiteral("ZA"));
    }

    void rowCountIsSixteenBits()
    {
        const QStringList words = WordDatabase::sequentialWords(4, 32768);
        openStore(words);
        QCOMPARE(errorOf([&] { store->GetRandomDbWord(4); }), QStringLiteral("Overflow"));
        QCOMPARE(random.draws, 0);
        QVERIFY(store->IsWordInDb(4, words.last()));

        // One word fewer fits, and its last word can be drawn.
        store.reset();
        WordDatabase::execute(
            path,
            {QStringLiteral("DELETE FROM tblFourWords WHERE fldword = '%1'").arg(words.last())});
        openFile(path);
        random.push(32767, 1, 32767);
        QCOMPARE(store->GetRandomDbWord(4), words[32766]);
    }

    void notADatabase_data()
    {
        QTest::addColumn<bool>("randomBytes");
        QTest::addColumn<QString>("message");
        QTest::newRow("random bytes") << true << "file is not a database";
        QTest::newRow("empty file") << false << "no such table: qryTwoWords";
    }
    void notADatabase()
    {
        QFETCH(bool, randomBytes);
        QFETCH(QString, message);
        if (randomBytes)
            WordDatabase::writeRandomBytes(path);
        else
            WordDatabase::writeEmptyFile(path);
        const QByteArray before = WordDatabase::fileHash(path);
        store = std::make_unique<WordStore>(random);
        store->create();
        // Fails while opening, not at the first question.
        QCOMPARE(errorOf([&] { store->open(path); }), message);
        QVERIFY(!store->isOpen());
        QVERIFY(errorOf([&] { store->GetRandomDbWord(2); }) != QStringLiteral("(no error)"));
        QCOMPARE(WordDatabase::fileHash(path), before);
    }

    void missingFile_data()
    {
        QTest::addColumn<QString>("instead");
        QTest::newRow("nothing") << QString();
        QTest::newRow("a folder") << "folder";
        QTest::newRow("a FIFO, never opened") << "fifo";
    }
    void missingFile()
    {
        QFETCH(QString, instead);
        if (instead == QStringLiteral("folder"))
            QVERIFY(QDir().mkdir(path));
        if (instead == QStringLiteral("fifo"))
            QVERIFY(::mkfifo(QFile::encodeName(path), 0600) == 0);
        store = std::make_unique<WordStore>(random);
        store->create();
        QVERIFY(errorOf([&] { store->open(path); }) != QStringLiteral("(no error)"));
        QVERIFY(!store->isOpen());
        QCOMPARE(QFile::exists(path), !instead.isEmpty());
    }

    // A view that never ends is interrupted and reported instead of freezing the program.
    void endlessViewTimesOut_data()
    {
        QTest::addColumn<bool>("pick");
        QTest::newRow("random pick") << true;
        QTest::newRow("membership") << false;
    }
    void endlessViewTimesOut()
    {
        QFETCH(bool, pick);
        openStore(SmallList, [](const QString& p) {
            WordDatabase::replaceView(p, 2,
                                      QStringLiteral("WITH RECURSIVE c(fldword) AS (SELECT 'AA' "
                                                     "UNION ALL SELECT fldword FROM c) "
                                                     "SELECT fldword FROM c"));
        });
        store->setTimeLimit(std::chrono::milliseconds(100));
        const QString expected = QStringLiteral("Query timeout expired");
        QCOMPARE(errorOf([&] {
                     pick ? void(store->GetRandomDbWord(2))
                          : void(store->IsWordInDb(2, QStringLiteral("ZZ")));
                 }),
                 expected);
        // The connection serves the other lists on.
        QVERIFY(store->IsWordInDb(3, QStringLiteral("CAT")));
    }

    // Nothing is ever created beside the database, whatever its journal mode and its folder's
    // name. The folder is made read-only too (which binds only when the tests do not run as root).
    void nothingIsWrittenBesideTheDatabase_data()
    {
        QTest::addColumn<QString>("folderName");
        QTest::addColumn<QString>("journal"); // "wal+": a -wal file left over from a writer
        QTest::newRow("rollback journal") << "plain"
                                          << "delete";
        QTest::newRow("WAL mode") << "plain"
                                  << "wal";
        QTest::newRow("WAL mode with a leftover -wal") << "plain"
                                                       << "wal+";
        QTest::newRow("folder name with ?, #, % and blanks") << "a?b#c %41 d"
                                                             << "wal";
    }
    void nothingIsWrittenBesideTheDatabase()
    {
        QFETCH(QString, folderName);
        QFETCH(QString, journal);
        const QString folder = dir->filePath(folderName);
        QVERIFY(QDir().mkdir(folder));
        const QString file = folder + QStringLiteral("/dbWords.mdb");
        WordDatabase::write(file, SmallList);
        if (journal != QStringLiteral("delete"))
            WordDatabase::execute(file, {QStringLiteral("PRAGMA journal_mode = WAL")});
        if (journal == QStringLiteral("wal+")) // left by a writer that was killed
            WordDatabase::writeRandomBytes(file + QStringLiteral("-wal"));
        const QStringList before = QDir(folder).entryList(QDir::Files);
        const QByteArray hash = WordDatabase::fileHash(file);
        QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));

        openFile(file);
        QVERIFY(store->IsWordInDb(2, QStringLiteral("AA")));
        QVERIFY(store->IsWordInDb(4, QStringLiteral("ZOOM")));
        QCOMPARE(QDir(folder).entryList(QDir::Files), before);
        store.reset();
        QVERIFY(
            QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        QCOMPARE(QDir(folder).entryList(QDir::Files), before);
        QCOMPARE(WordDatabase::fileHash(file), hash);
    }

    void connectionNotSet_data()
    {
        QTest::addColumn<bool>("released");
        QTest::newRow("never created") << false;
        QTest::newRow("released") << true;
    }
    void connectionNotSet()
    {
        QFETCH(bool, released);
        WordDatabase::write(path, SmallList);
        store = std::make_unique<WordStore>(random);
        if (released) {
            store->create();
            store->open(path);
            store->release();
            QVERIFY(!QSqlDatabase::contains(WordStore::ConnectionName));
        }
        QCOMPARE(errorOf([&] { store->isOpen(); }), NotSet);
        QCOMPARE(errorOf([&] { store->close(); }), NotSet);
        QCOMPARE(errorOf([&] { store->open(path); }), NotSet);
        QCOMPARE(errorOf([&] { store->IsWordInDb(2, QStringLiteral("AA")); }), NotSet);
        QCOMPARE(errorOf([&] { store->GetRandomDbWord(2); }), NotSet);
        QCOMPARE(errorOf([&] { store->release(); }), QStringLiteral("(no error)"));
        // The usual start-up afterwards works.
        store->create();
        QVERIFY(!store->isOpen());
        store->open(path);
        QVERIFY(store->isOpen());
    }

    void closedConnection()
    {
        openStore(SmallList);
        store->close();
        QVERIFY(!store->isOpen());
        const QString isWord = errorOf([&] { store->IsWordInDb(2, QStringLiteral("AA")); });
        const QString pick = errorOf([&] { store->GetRandomDbWord(2); });
        QVERIFY(isWord != QStringLiteral("(no error)"));
        QVERIFY(!isWord.isEmpty());
        QCOMPARE(pick, isWord);
        // Opening again brings it back.
        store->open(path);
        QVERIFY(store->IsWordInDb(2, QStringLiteral("AA")));
    }

    void createReplacesTheConnection()
    {
        openStore(SmallList);
        store->create();
        QVERIFY(!store->isOpen());
        store->open(path);
        QVERIFY(store->IsWordInDb(4, QStringLiteral("ABLE")));
    }

    void databaseIsNeverWritten()
    {
        WordDatabase::write(path, SmallList);
        const QByteArray before = WordDatabase::fileHash(path);
        const QFileDevice::Permissions permissions = QFile::permissions(path);
        openFile(path);
        for (int i = 0; i < 20; ++i) {
            for (int length = 2; length <= 4; ++length) {
                store->GetRandomDbWord(length);
                store->IsWordInDb(length, QStringLiteral("ZZZ"));
                store->IsWordInDb(length, QStringLiteral("Z'Z"));
            }
        }
        {
            // Nothing can write through the connection either.
            QSqlQuery write(QSqlDatabase::database(WordStore::ConnectionName, false));
            QVERIFY(!write.exec(QStringLiteral("DELETE FROM tblTwoWords")));
            QVERIFY(write.lastError().databaseText().contains(QStringLiteral("readonly")));
        }
        store->close();
        store->release();
        QCOMPARE(WordDatabase::fileHash(path), before);
        QCOMPARE(QFile::permissions(path), permissions);
        QCOMPARE(QDir(dir->path()).entryList(QDir::Files), QStringList{"dbWords.mdb"});
    }

private:
    // Writes the words (then lets `adjust` break the file) and opens a store on it.
    void openStore(const QStringList& words,
                   const std::function<void(const QString&)>& adjust = nullptr)
    {
        WordDatabase::write(path, words);
        if (adjust)
            adjust(path);
        openFile(path);
    }
    void openFile(const QString& file)
    {
        store = std::make_unique<WordStore>(random);
        store->create();
        QVERIFY(!store->isOpen());
        store->open(file);
        QVERIFY(store->isOpen());
    }

    std::unique_ptr<QTemporaryDir> dir;
    QString path;
    ScriptedRandom random;
    std::unique_ptr<WordStore> store;
};

QTEST_GUILESS_MAIN(WordStoreTest)
#include "tst_wordstore.moc"
