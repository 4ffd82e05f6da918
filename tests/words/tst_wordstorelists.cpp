#include "TestDoubles.h"
#include "WordDatabase.h"
#include "base/ErrorReporting.h"
#include "words/WordStore.h"

#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

// The whole lists a store reads (words()): each read from the file once, and never one of a
// file no longer open.
class WordStoreListsTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    // Each step, then the two-letter list read after it: the open file's, or none (the read
    // fails). Every list is read after every step, so a stale one would be there to give.
    void listsFollowTheFileOpen()
    {
        QTemporaryDir dir;
        const QString first = dir.filePath(QStringLiteral("first.mdb"));
        const QString second = dir.filePath(QStringLiteral("second.mdb"));
        WordDatabase::write(first, {"AA", "AB", "CAT"});
        WordDatabase::write(second, {"OX", "ZO", "ZOO"});
        ScriptedRandom random;
        WordStore store(random);
        store.create();
        const QList<std::pair<QString, QStringList>> steps{
            {"open the first", {"AA", "AB"}},
            {"open the second over it", {"OX", "ZO"}},
            {"close", {}},
            {"open the first again", {"AA", "AB"}},
            {"make the connection anew", {}},
        };
        for (const auto& [step, twos] : steps) {
            if (step == QStringLiteral("close"))
                store.close();
            else if (step.startsWith(QStringLiteral("make")))
                store.create();
            else
                store.open(step.contains(QStringLiteral("first")) ? first : second);
            QStringList read;
            try {
                read = store.words(2);
                QCOMPARE(store.words(3).size(), 1);
            } catch (const AppError&) {
                read.clear(); // nothing open
            }
            QVERIFY2(read == twos, qPrintable(step + QStringLiteral(": ") + read.join(' ')));
        }
    }
};

QTEST_GUILESS_MAIN(WordStoreListsTest)
#include "tst_wordstorelists.moc"
