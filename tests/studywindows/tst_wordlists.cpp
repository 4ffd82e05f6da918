#include "HistoryFill.h"
#include "TestDoubles.h"
#include "TestFiles.h"
#include "WordDatabase.h"
#include "WordListsFixture.h"
#include "base/ErrorReporting.h"
#include "base/Settings.h"
#include "lists/WordListsDialog.h"
#include "study/DueCount.h"
#include "study/ProgressFromHistory.h"
#include "study/StudyEngine.h"
#include "study/WordListChoice.h"
#include "studywindows/StudyController.h"
#include "studywindows/StudyWindow.h"
#include "words/WordSchema.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QLockFile>
#include <QPushButton>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>

#include <fcntl.h>
#include <sys/file.h>
#include <thread>
#include <unistd.h>
#include <utility>

class WordListsTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }

    void import_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("cancel");
        QTest::addColumn<QString>("error"); // "" when written
        QTest::addColumn<QString>("report");
        QTest::newRow("with meanings")
            << QByteArray("qi\tvital force\r\nfoo bar\nquiz\nq1\n") << false << ""
            << "2-letter words: 1\n3-letter words: 1\n4-letter words: 1\nrejected lines: 1\n"
               "  not letters A-Z: 1\n    line 4: \"q1\"\n";
        // Letters with diacritics fold to A-Z, and the figures are the locale's.
        QTest::newRow("folded")
            << WordDatabase::sequentialWords(4, 1200).join(u'\n').toLatin1() +
                   "\nqi\tvital force\nfoo bar\n\xC3\xA9t\xC3\xA9\nq\xC3\xA9\n\xCF\x89\xCE\xBC\n"
            << false << ""
            << "2-letter words: 2\n3-letter words: 2\n4-letter words: 1,200\nrejected lines: 1\n"
               "  letters that don't fold to A-Z: 1\n    line 1,205: \"\u03C9\u03BC\"\n";
        QTest::newRow("a length missing")
            << QByteArray("qi\tvital force\nfoo bar\n") << false << ""
            << "2-letter words: 1\n3-letter words: 1\n4-letter words: 0\nrejected lines: 0\n";
        QTest::newRow("no word at all") << QByteArray("quizzes\n# a comment\n") << false
                                        << "the list holds no words of 2 to 4 letters"
                                        << "";
        QTest::newRow("too many words")
            << WordDatabase::sequentialWords(4, 32768).join(QLatin1Char('\n')).toLatin1() +
                   "\nqi\nfoo"
            << false << "more than the 32,767"
            << "";
        QTest::newRow("no word list") << QByteArray(5000, 'x') << false << "longer than 4096"
                                      << "";
        QTest::newRow("cancelled") << QByteArray("qi\nfoo\nquiz\n") << true << ""
                                   << "";
    }
    void import()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, cancel);
        QFETCH(QString, error);
        QFETCH(QString, report);
        Fixture fx;
        QString name;
        const WordListImport::Outcome outcome = fx.choice.import(
            fx.writeList(bytes), &name, [cancel](qint64, qint64) { return !cancel; });
        QCOMPARE(outcome.cancelled, cancel);
        QVERIFY2(error.isEmpty() ? outcome.error.isEmpty() : outcome.error.contains(error),
                 qPrintable(outcome.error));
        QCOMPARE(outcome.written, error.isEmpty() && !cancel);
        if (!report.isEmpty())
            QCOMPARE(outcome.report, report);
        // Nothing is left behind but a finished list.
        QCOMPARE(fx.listFiles(), outcome.written ? QStringList{"My list.mdb"} : QStringList());
        if (outcome.written)
            QCOMPARE(WordDatabase::meanings(fx.choice.pathOf(name)),
                     (QStringList{"FOO bar", "QI vital force"}));
    }

    // The name a list takes beside the lists there: never one a player can't tell from another,
    // nor the bundled list's, nor one whose history would be a set-aside history.
    void takenName_data()
    {
        QTest::addColumn<QStringList>("there");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("taken");
        QTest::newRow("free") << QStringList() << "My list"
                              << "My list";
        QTest::newRow("taken") << QStringList{"My list"} << "My list"
                               << "My list (2)";
        QTest::newRow("in other capitals") << QStringList{"words"} << "WORDS"
                                           << "WORDS (2)";
        QTest::newRow("a Cyrillic o") << QStringList{"words"} << "w\u043Erds"
                                      << "w\u043Erds (2)";
        QTest::newRow("a Greek capital alpha") << QStringList{"Alpha"} << "\u0391lpha"
                                               << "\u0391lpha (2)";
        QTest::newRow("full-width letters")
            << QStringList{"words"} << "\uFF57\uFF4F\uFF52\uFF44\uFF53"
            << "\uFF57\uFF4F\uFF52\uFF44\uFF53 (2)";
        QTest::newRow("like a suffixed name") << QStringList{"words", "words (2)"} << "w\u043Erds"
                                              << "w\u043Erds (3)";
        QTest::newRow("the bundled list's") << QStringList() << "Bundled list"
                                            << "Bundled list (2)";
        QTest::newRow("the bundled list's, in capitals") << QStringList() << "BUNDLED LIST"
                                                         << "BUNDLED LIST (2)";
        // Histories are named by the lists' ids: the names of set-aside ones are free.
        QTest::newRow("like a set-aside history") << QStringList{"X"} << "X-damaged-20261209-080107"
                                                  << "X-damaged-20261209-080107";
    }
    void takenName()
    {
        QFETCH(QStringList, there);
        QFETCH(QString, file);
        QFETCH(QString, taken);
        Fixture fx;
        for (const QString& name : there)
            fx.addList(name);
        QString name;
        QVERIFY(fx.choice.import(fx.writeList("qi\nfoo\nquiz\n", file + ".txt"), &name).written);
        QCOMPARE(name, taken);
        for (const QString& other : there)
            QCOMPARE(WordDatabase::listWords(fx.choice.pathOf(other), 2), QStringList{"XI"});
    }

    // The names the history really gives what it sets aside are kept from lists.
    // A list's history is kept by its id, and set aside in the archive: the list's history then
    // starts afresh in its place, and no name can take over the one set aside.
    void setAsideHistoryGoesToTheArchive_data()
    {
        QTest::addColumn<bool>("damaged"); // else forgotten
        QTest::newRow("forgotten") << false;
        QTest::newRow("damaged") << true;
    }
    void setAsideHistoryGoesToTheArchive()
    {
        QFETCH(bool, damaged);
        Fixture fx;
        QString name;
        QVERIFY(fx.choice.import(fx.writeList("qi\nfoo\nquiz\n"), &name).written);
        const QString path = fx.choice.historyPath(name);
        QCOMPARE(QFileInfo(path).dir().path(), HistoryFolder(fx.data.path()).folder());
        QCOMPARE(QFileInfo(path).completeBaseName(), WordSchema::listId(fx.choice.pathOf(name)));
        if (damaged) {
            QVERIFY(QDir().mkpath(QFileInfo(path).path()));
            WordDatabase::writeRandomBytes(path);
        }
        fx.choice.use(name);
        fx.history.record(answerOn(QStringLiteral("QI"), QDateTime::currentDateTimeUtc()));
        QVERIFY(fx.history.flush());
        if (!damaged)
            QVERIFY(fx.history.forgetAll(nullptr));
        const QStringList archives =
            QDir(HistoryFolder(fx.data.path()).archive()).entryList(QDir::Files);
        QCOMPARE(archives.size(), 1);
        QVERIFY(archives[0].startsWith(QFileInfo(path).completeBaseName() +
                                       (damaged ? "-damaged-" : "-forgotten-")));
        QCOMPARE(fx.history.path(), path);
        QCOMPARE(fx.history.answerCount(), damaged ? 1 : 0);
    }

    // Another trainer takes the name while this one reads its file: each list keeps a name of
    // its own, and the player is told the one this list took.
    void nameTakenMeanwhile_data()
    {
        QTest::addColumn<bool>("underLock"); // else by an import of this trainer
        QTest::newRow("an import of the same name") << false;
        QTest::newRow("a trainer holding the folder's lock") << true;
    }
    void nameTakenMeanwhile()
    {
        QFETCH(bool, underLock);
        Fixture fx;
        const QString file = fx.writeList("qi\nfoo\nquiz\n");
        QLockFile lock(fx.lists.path() + QStringLiteral("/.lock"));
        std::thread other;
        bool first = true;
        const auto meanwhile = [&](qint64, qint64) {
            if (!std::exchange(first, false))
                return true;
            if (!underLock) {
                QTemporaryDir folder;
                const QString same = folder.filePath(QStringLiteral("My list.txt"));
                QFile::copy(fx.writeList("xi\nxis\nxyst\n", "other.txt"), same);
                QString name;
                [&] { QCOMPARE(fx.choice.import(same, &name).name, QStringLiteral("My list")); }();
                return true;
            }
            // Holds the folder while this import would claim, then puts its list there.
            [&] { QVERIFY(lock.tryLock(0)); }();
            other = std::thread([&] {
                std::this_thread::sleep_for(std::chrono::milliseconds(300));
                fx.addList(QStringLiteral("My list"));
                lock.unlock();
            });
            return true;
        };
        QString name;
        const WordListImport::Outcome outcome = fx.choice.import(file, &name, meanwhile);
        if (other.joinable())
            other.join();
        QVERIFY2(outcome.written, qPrintable(outcome.error));
        QCOMPARE(name, QStringLiteral("My list (2)"));
        QCOMPARE(WordDatabase::listWords(fx.choice.pathOf(QStringLiteral("My list")), 2),
                 QStringList{"XI"});
        QCOMPARE(WordDatabase::listWords(fx.choice.pathOf(name), 2), QStringList{"QI"});
    }

    // What imports left behind: the next import removes a killed one's files, never those of
    // one that runs (it holds its draft locked), nor anything else.
    void leftovers_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<bool>("running"); // the first file is locked as by a running import
        QTest::addColumn<QStringList>("kept");
        const QString draft = QStringLiteral(".words.mdb.a1B2c3");
        const QString journal = draft + QStringLiteral("-journal");
        QTest::newRow("a killed import's") << QStringList{draft, journal} << false << QStringList();
        QTest::newRow("a journal a full disk left")
            << QStringList{journal} << false << QStringList();
        QTest::newRow("a running import's")
            << QStringList{draft, journal} << true << QStringList{draft, journal};
        const QStringList others{".hidden", ".words.mdb.bak", "words.mdb.a1B2c3", "words.mdb"};
        QTest::newRow("no import's") << others << false << others;
    }
    void leftovers()
    {
        QFETCH(QStringList, files);
        QFETCH(bool, running);
        QFETCH(QStringList, kept);
        Fixture fx;
        for (const QString& file : files) {
            QFile f(QDir(fx.lists.path()).filePath(file));
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        const int fd = ::open(QFile::encodeName(QDir(fx.lists.path()).filePath(files[0])),
                              O_RDONLY | O_CLOEXEC);
        QVERIFY(fd >= 0);
        QVERIFY(!running || ::flock(fd, LOCK_EX | LOCK_NB) == 0);
        QString name;
        QVERIFY(fx.choice.import(fx.writeList("qi\nfoo\nquiz\n"), &name).written);
        ::close(fd);
        kept.append(name + QStringLiteral(".mdb"));
        kept.sort();
        QStringList left = fx.listFiles();
        left.sort();
        QCOMPARE(left, kept);
    }

    // The store, the history and the remembered choice change together, or not at all.
    void use()
    {
        Fixture fx;
        QString name;
        QVERIFY(fx.choice.import(fx.writeList("qi\nfoo\nquiz\n"), &name).written);
        fx.choice.use(name);
        QCOMPARE(fx.store.words(2), QStringList{"QI"});
        QCOMPARE(fx.history.path(), fx.choice.historyPath(name));
        QCOMPARE(WordListSetting().load(), name);

        QFile::remove(fx.choice.pathOf(name));
        QVERIFY_THROWS_EXCEPTION(AppError, fx.choice.use(QStringLiteral("gone")));
        QCOMPARE(fx.choice.active(), name);
        QCOMPARE(WordListSetting().load(), name);

        fx.choice.use(QString());
        QCOMPARE(fx.store.words(2), QStringList{"AA"});
        QCOMPARE(fx.history.path(), HistoryFolder(fx.data.path()).folder() + "/bundled.sqlite");
    }

    // The study button's due count follows the background rebuild that the history of a list
    // switched to needs.
    void rebuildAfterASwitchRefreshesTheDueCount()
    {
        Fixture fx;
        QString name;
        QVERIFY(fx.choice.import(fx.writeList("qi\nza\n"), &name).written);
        const QString path = fx.choice.historyPath(name);
        const QDateTime at(QDate(2026, 3, 2), QTime(9, 0), Qt::UTC);
        fillHistory(path, {answerOn(QStringLiteral("QI"), at), answerOn(QStringLiteral("ZA"), at)});
        WordDatabase::execute(path, {"UPDATE meta SET value = 0 WHERE key = 'grading'"});
        ManualWallClock clock;
        StudyController room(fx.context, fx.history, clock);
        int changed = 0;
        room.setDueChanged([&] { ++changed; });
        fx.choice.use(name);
        QVERIFY(fx.history.open()); // starts the rebuild
        QTRY_COMPARE(changed, 1);
    }

    // Study on a list without words of a studied length, or without non-words enough for a
    // question, says so: on the first question's line when other lengths remain, instead of a
    // session when none does.
    void studyOnAListWithoutALength_data()
    {
        QTest::addColumn<QByteArray>("list");
        QTest::addColumn<QList<int>>("lengths");
        QTest::addColumn<QString>("said");
        QTest::addColumn<bool>("session");
        QTest::addColumn<QStringList>("drill"); // words to study instead of the day's work
        // Every two-letter string but the last two.
        QByteArray twos;
        for (const QString& word : WordDatabase::sequentialWords(2, 674))
            twos += word.toLatin1() + '\n';
        QTest::newRow("one of two")
            << QByteArray("qi\nza\n") << QList<int>{2, 3}
            << "The word list in use has no three-letter words" << true << QStringList();
        QTest::newRow("all") << QByteArray("qi\nza\n") << QList<int>{3, 4}
                             << "The word list in use has no three-letter or four-letter words, "
                                "so there is nothing to study."
                             << false << QStringList();
        QTest::newRow("two non-words")
            << twos + "qat\n"
            << QList<int>{2, 3} << "The word list in use has too few two-letter non-words" << true
            << QStringList();
        QTest::newRow("no word, two non-words")
            << twos << QList<int>{2, 3}
            << "The word list in use has no three-letter words and too few two-letter non-words, "
               "so there is nothing to study."
            << false << QStringList();
        QTest::newRow("a drill of two- and three-letter words, two non-words")
            << twos + "qat\n"
            << QList<int>{2} << "The word list in use has too few two-letter non-words" << true
            << QStringList{"AA", "QAT", "AB"};
        QTest::newRow("a drill of two-letter words, two non-words")
            << twos + "qat\n"
            << QList<int>{2, 3}
            << "The word list in use has too few two-letter non-words, so there is nothing to "
               "study."
            << false << QStringList{"AA", "AB"};
    }
    void studyOnAListWithoutALength()
    {
        QFETCH(QByteArray, list);
        QFETCH(QList<int>, lengths);
        QFETCH(QString, said);
        QFETCH(bool, session);
        QFETCH(QStringList, drill);
        Fixture fx;
        QString name;
        QVERIFY(fx.choice.import(fx.writeList(list), &name).written);
        fx.choice.use(name);
        StudyPreferences prefs;
        prefs.lengths = lengths;
        prefs.store();
        // The test-mode settings outlive this program: the next test's study must not inherit.
        const auto defaults = qScopeGuard([] { StudyPreferences().store(); });
        ManualWallClock clock;
        StudyController room(fx.context, fx.history, clock);
        room.pauseMs = 600000;
        QString line;
        QTimer poll; // the study window, then its summary
        QObject::connect(&poll, &QTimer::timeout, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (auto* window = qobject_cast<StudyWindow*>(modal)) {
                line = window->findChild<QLabel*>(QStringLiteral("Outcome"))->accessibleName();
                window->reject();
            } else if (modal) {
                modal->close();
            }
        });
        poll.start(5);
        if (drill.isEmpty())
            room.study(nullptr);
        else
            room.studyThese(nullptr, drill);
        QCOMPARE(line, session ? said : QString());
        QCOMPARE(fx.t.messages.shown.size(), session ? 0 : 1);
        if (!session)
            QVERIFY2(drill.isEmpty() ? fx.t.messages.shown[0].text.startsWith(said)
                                     : fx.t.messages.shown[0].text == said,
                     qPrintable(fx.t.messages.shown[0].text));
    }
};

QTEST_MAIN(WordListsTest)
#include "tst_wordlists.moc"
