// A list's words replaced: its name, id and history kept, the words gone no longer asked.
#include "HistoryFill.h"
#include "WordListsFixture.h"
#include "study/DueCount.h"
#include "study/ProgressFromHistory.h"
#include "study/StudyEngine.h"
#include "words/WordSchema.h"

#include <QFileInfo>
#include <QLocale>
#include <QStandardPaths>
#include <QTest>

class WordListReplaceTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }

    // Replace: the list keeps its name, its id and its history, and the words that came and went
    // are counted; whatever fails, the list's file and its history stay byte for byte as they
    // were, and nothing is left beside them.
    void replace_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("fault"); // besides the file's bytes
        QTest::addColumn<bool>("inUse");
        QTest::addColumn<QString>("error");    // "" when replaced (or cancelled)
        QTest::addColumn<QStringList>("twos"); // the store's two-letter words after
        QTest::addColumn<qint64>("came");
        QTest::addColumn<qint64>("went");
        const QStringList first{"QI", "ZA"};
        const QStringList bundled{"AA"};
        QTest::newRow("in use") << NextWords << "" << true << "" << QStringList{"QI", "XU"}
                                << qint64(3) << qint64(2);
        QTest::newRow("not in use")
            << NextWords << "" << false << "" << bundled << qint64(3) << qint64(2);
        QTest::newRow("the same words")
            << FirstWords << "" << true << "" << first << qint64(0) << qint64(0);
        QTest::newRow("no file") << NextWords << "missing" << true << "it is not a file" << first
                                 << qint64(0) << qint64(0);
        QTest::newRow("no word list") << QByteArray(5000, 'x') << "" << true << "longer than 4096"
                                      << first << qint64(0) << qint64(0);
        QTest::newRow("cancelled")
            << NextWords << "cancel" << true << "" << first << qint64(0) << qint64(0);
        QTest::newRow("the list's file can't be replaced")
            << NextWords << "list immutable" << true << "can't take the list's place" << first
            << qint64(0) << qint64(0);
        QTest::newRow("nothing can be written in the folder")
            << NextWords << "folder immutable" << true << "not permitted" << first << qint64(0)
            << qint64(0);
        QTest::newRow("the bundled list")
            << NextWords << "bundled" << false << "the bundled list stays as it is" << bundled
            << qint64(0) << qint64(0);
    }
    void replace()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, fault);
        QFETCH(bool, inUse);
        QFETCH(QString, error);
        QFETCH(QStringList, twos);
        QFETCH(qint64, came);
        QFETCH(qint64, went);
        Fixture fx;
        QString name;
        QVERIFY(fx.choice.import(fx.writeList(FirstWords), &name).written);
        const QString list = fx.choice.pathOf(name);
        const QString id = WordSchema::listId(list);
        const QString history = fx.choice.historyPath(name);
        const QDateTime at(QDate(2026, 3, 2), QTime(9, 0), Qt::UTC);
        fillHistory(history,
                    {answerOn(QStringLiteral("QI"), at), answerOn(QStringLiteral("ZA"), at)});
        if (inUse)
            fx.choice.use(name);
        const QByteArray listBefore = WordDatabase::fileHash(list);
        const QByteArray historyBefore = WordDatabase::fileHash(history);
        const QString file = fault == QLatin1String("missing") ? fx.t.folder.filePath("gone.txt")
                                                               : fx.writeList(bytes, "Next.txt");
        const QStringList locked{fault == QLatin1String("list immutable") ? list : fx.lists.path()};
        const auto unlock = qScopeGuard([&] { setImmutable(locked, false); });
        if (fault.endsWith(QLatin1String("immutable")) && !setImmutable(locked, true))
            QSKIP("no immutable files here (chattr needs root and a filesystem that has them)");

        const WordListImport::Outcome outcome =
            fx.choice.replace(fault == QLatin1String("bundled") ? QString() : name, file,
                              [&](qint64, qint64) { return fault != QLatin1String("cancel"); });
        setImmutable(locked, false);
        QVERIFY2(error.isEmpty() ? outcome.error.isEmpty() : outcome.error.contains(error),
                 qPrintable(outcome.error));
        QCOMPARE(outcome.cancelled, fault == QLatin1String("cancel"));
        QCOMPARE(outcome.written, error.isEmpty() && !outcome.cancelled);
        QCOMPARE(outcome.came, came);
        QCOMPARE(outcome.went, went);
        // The list keeps its name, its id and so its history, which the replace never touches.
        QCOMPARE(fx.listFiles(), QStringList{"My list.mdb"});
        QCOMPARE(WordSchema::listId(list), id);
        QCOMPARE(fx.choice.historyPath(name), history);
        QCOMPARE(WordDatabase::fileHash(history), historyBefore);
        QCOMPARE(fx.choice.active(), inUse ? name : QString());
        QCOMPARE(fx.store.words(2), twos);
        if (!outcome.written)
            QCOMPARE(WordDatabase::fileHash(list), listBefore);
        else if (came > 0)
            QCOMPARE(WordDatabase::meanings(list), QStringList{"QI vital force"});
        if (inUse)
            QCOMPARE(fx.history.path(), history);
    }

    // Words a replaced list no longer holds keep their answers and count nowhere: not due, not
    // asked, not among the words missed most. One that comes back with a later list counts again.
    void goneWordsAreNotDue()
    {
        Fixture fx;
        QString name;
        QVERIFY(fx.choice.import(fx.writeList(FirstWords), &name).written);
        ManualWallClock clock;
        QList<AnswerRecord> answers;
        for (const QString word : {"QI", "ZA", "QUIZ"})
            for (const int minutes : {0, 2, 15})
                answers.append(
                    answerOn(word, clock.now.addDays(-30).addSecs(minutes * 60), minutes != 2));
        fillHistory(fx.choice.historyPath(name), answers);
        fx.choice.use(name);
        QVERIFY(fx.history.open());
        const StudySettings settings;
        // Gone, still gone when the list is replaced again without them, then back.
        const auto missedWords = [&] {
            QStringList words;
            for (const auto& m :
                 ProgressFigures::fromHistory(fx.store, fx.history, clock.now).missed)
                if (m.valid)
                    words.append(m.word);
            return words;
        };
        for (const auto& [list, due] :
             {std::pair{NextWords, 1}, std::pair{NextWords, 1}, std::pair{FirstWords, 3}}) {
            QVERIFY(fx.choice.replace(name, fx.writeList(list, "Next.txt")).written);
            QCOMPARE(fx.history.answerCount(), 9); // the words that went keep their answers
            const StudyEngine engine(fx.store, fx.history, clock, fx.t.random, settings);
            QCOMPARE(engine.dueNow(), due);
            QCOMPARE(countDue(fx.history, settings, clock.now, fx.store.wordsGone()).due, due);
            QCOMPARE(missedWords().size(), due);
        }
    }
};

QTEST_MAIN(WordListReplaceTest)
#include "tst_wordlistreplace.moc"
