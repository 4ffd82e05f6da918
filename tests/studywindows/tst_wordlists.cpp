#include "HistoryFill.h"
#include "TestDoubles.h"
#include "TestFiles.h"
#include "WordDatabase.h"
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

namespace {

// A view named like a word view whose rows never end.
// The list that Replace starts from, and one that keeps QI and FOO, drops ZA and QUIZ and brings
// XU, JINX and ZEST.
const QByteArray FirstWords("qi\nza\nfoo\nquiz\n");
const QByteArray NextWords("qi\tvital force\nxu\nfoo\njinx\nzest\n");

const QString EndlessView = QStringLiteral("WITH RECURSIVE c(fldword) AS (SELECT 'XI' UNION ALL "
                                           "SELECT fldword FROM c) SELECT fldword FROM c");

// The bundled list in the program folder, an empty lists folder and a history of the bundled
// list, each in folders of the test's own.
struct Fixture
{
    Fixture()
    {
        WordDatabase::openIn(store, t.path(WordListChoice::BundledFile), {"AA", "CAT", "ZOOM"});
        WordListSetting().store(QString());
    }
    QString writeList(const QByteArray& bytes, const QString& name = QStringLiteral("My list.txt"))
    {
        const QString path = t.folder.filePath(name);
        writeFile(path, bytes);
        return path;
    }
    QStringList listFiles() const
    {
        return QDir(lists.path()).entryList(QDir::Files | QDir::Hidden);
    }
    // An imported list as another trainer would have put it there.
    QString addList(const QString& name, const QStringList& words = {"XI", "XIS", "XYST"})
    {
        const QString path = WordListCatalog(lists.path()).pathOf(name);
        WordDatabase::write(path, words);
        return path;
    }

    TestEnvironment t;
    QTemporaryDir lists;
    QTemporaryDir data; // the player's data folder, for the histories
    WordStore store{t.random};
    TrainerContext context{t.env, store};
    History history{t.messages, t.folder.filePath(QStringLiteral("history.sqlite"))};
    WordListChoice choice{context.env, context.store, history, WordListCatalog(lists.path()),
                          HistoryFolder(data.path())};
};

} // namespace

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

    // A list that can't be read does not hold the window up: it opens, the other lists are
    // counted, and the list shows as damaged, where it can be removed but not used.
    void damagedListInTheWindow_data()
    {
        QTest::addColumn<bool>("endless"); // else no database at all
        QTest::newRow("a view that never ends") << true;
        QTest::newRow("random bytes") << false;
    }
    void damagedListInTheWindow()
    {
        QFETCH(bool, endless);
        Fixture fx;
        fx.addList(QStringLiteral("good"));
        const QString bad = fx.addList(QStringLiteral("bad"));
        if (endless)
            WordDatabase::replaceView(bad, 2, EndlessView);
        else
            WordDatabase::writeRandomBytes(bad);
        fx.t.messages.answer = true;
        WordListsDialog dialog(fx.choice, fx.t.messages,
                               {[](QWidget*) { return QString(); }, {}, {}});
        auto* lists = dialog.findChild<QListWidget*>(QStringLiteral("ListOfWordLists"));
        QCOMPARE(lists->count(), 3);
        QTRY_COMPARE_WITH_TIMEOUT(lists->item(1)->text(), QStringLiteral("bad: damaged"), 10000);
        QTRY_COMPARE(lists->item(2)->text(),
                     QStringLiteral("good: 1 / 1 / 1 words of 2 / 3 / 4 letters"));
        lists->setCurrentRow(1);
        emit lists->itemActivated(lists->item(1));
        QCOMPARE(fx.choice.active(), QString());
        QCOMPARE(fx.t.messages.shown.size(), 1);
        for (QPushButton* b : dialog.findChildren<QPushButton*>())
            if (b->text() == QStringLiteral("&Remove..."))
                b->click();
        QCOMPARE(fx.t.messages.shown.size(), 2); // the question
        QVERIFY(!QFile::exists(bad));
        QCOMPARE(lists->count(), 2);
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

    // Study on a list without words of a studied length says so: on the first question's line
    // when other lengths remain, instead of a session when none does.
    void studyOnAListWithoutALength_data()
    {
        QTest::addColumn<QList<int>>("lengths");
        QTest::addColumn<QString>("said");
        QTest::addColumn<bool>("session");
        QTest::newRow("one of two")
            << QList<int>{2, 3} << "The word list in use has no three-letter words" << true;
        QTest::newRow("all") << QList<int>{3, 4}
                             << "The word list in use has no three-letter or four-letter words, "
                                "so there is nothing to study."
                             << false;
    }
    void studyOnAListWithoutALength()
    {
        QFETCH(QList<int>, lengths);
        QFETCH(QString, said);
        QFETCH(bool, session);
        Fixture fx;
        QString name;
        QVERIFY(fx.choice.import(fx.writeList("qi\nza\n"), &name).written);
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
        room.study(nullptr);
        QCOMPARE(line, session ? said : QString());
        QCOMPARE(fx.t.messages.shown.size(), session ? 0 : 1);
        if (!session)
            QVERIFY2(fx.t.messages.shown[0].text.startsWith(said),
                     qPrintable(fx.t.messages.shown[0].text));
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

    // Through the window: import, use, rename (the progress stays with the list; a name taken
    // is refused), replace (the progress stays; a file that can't be read changes nothing), and
    // remove after asking, which brings back the bundled list. The bundled list keeps its name
    // and its words.
    void dialog()
    {
        Fixture fx;
        const QString file = fx.writeList("qi\tvital force\nfoo\nquiz\n");
        fx.t.messages.answer = true;
        QString newName;
        QString replacement;
        WordListsDialog dialog(fx.choice, fx.t.messages,
                               {[&](QWidget*) { return file; },
                                [&](QWidget*, const QString&) { return newName; },
                                [&](QWidget*, const QString&) { return replacement; }});
        auto* lists = dialog.findChild<QListWidget*>(QStringLiteral("ListOfWordLists"));
        QCOMPARE(lists->count(), 1);
        const QStringList forImported{"Re&name...", "Re&place...", "&Remove..."};
        for (QPushButton* b : dialog.findChildren<QPushButton*>())
            QCOMPARE(b->isEnabled(), !forImported.contains(b->text()));
        QTRY_VERIFY(lists->item(0)->text().endsWith(QStringLiteral("1 / 1 / 1 words of 2 / 3 / 4 "
                                                                   "letters (in use)")));
        const auto click = [&](const QString& caption) {
            for (QPushButton* b : dialog.findChildren<QPushButton*>())
                if (b->text() == caption)
                    b->click();
        };
        click(QStringLiteral("&Import..."));
        QCOMPARE(fx.t.messages.shown.size(), 1);
        QVERIFY(fx.t.messages.shown[0].text.startsWith("The word list \"My list\" is imported."));
        QTRY_COMPARE(lists->currentItem()->text(),
                     QStringLiteral("My list: 1 / 1 / 1 words of 2 / 3 / 4 letters"));
        click(QStringLiteral("&Use"));
        QCOMPARE(fx.choice.active(), QStringLiteral("My list"));
        QCOMPARE(fx.store.meaning(QStringLiteral("QI")), QStringLiteral("vital force"));
        fx.history.record(answerOn(QStringLiteral("QI"), QDateTime::currentDateTimeUtc()));
        const QString historyPath = fx.history.path();
        newName = WordListChoice::BundledName;
        click(QStringLiteral("Re&name..."));
        QCOMPARE(fx.t.messages.shown.size(), 2);
        QVERIFY(
            fx.t.messages.shown[1].text.startsWith("The word list \"My list\" can't be renamed"));
        newName = QStringLiteral("  Renamed ");
        click(QStringLiteral("Re&name..."));
        QCOMPARE(fx.choice.active(), QStringLiteral("Renamed"));
        QTRY_COMPARE(lists->currentItem()->text(),
                     QStringLiteral("Renamed: 1 / 1 / 1 words of 2 / 3 / 4 letters (in use)"));
        QCOMPARE(fx.history.path(), historyPath);
        QCOMPARE(fx.history.answerCount(), 1);
        replacement = fx.writeList(NextWords, "Next.txt");
        click(QStringLiteral("Re&place..."));
        QCOMPARE(fx.t.messages.shown.size(), 3);
        QVERIFY2(fx.t.messages.shown[2].text.startsWith(
                     "The word list \"Renamed\" is replaced: 3 words came in and 1 went. Its "
                     "progress is kept.\r\r2-letter words: 2\r"),
                 qPrintable(fx.t.messages.shown[2].text));
        QCOMPARE(fx.store.words(2), (QStringList{"QI", "XU"}));
        QTRY_COMPARE(lists->currentItem()->text(),
                     QStringLiteral("Renamed: 2 / 1 / 2 words of 2 / 3 / 4 letters (in use)"));
        replacement = fx.t.folder.filePath("gone.txt");
        click(QStringLiteral("Re&place..."));
        QCOMPARE(fx.t.messages.shown.size(), 4);
        QCOMPARE(fx.t.messages.shown[3].text,
                 "The word list \"Renamed\" was not replaced: it is not a file. It is as it was.");
        QCOMPARE(fx.t.messages.shown[3].icon, MessageIcon::Warning);
        QCOMPARE(fx.history.path(), historyPath);
        QCOMPARE(fx.history.answerCount(), 1);
        click(QStringLiteral("&Remove..."));
        QCOMPARE(fx.t.messages.shown.size(), 5);
        QVERIFY(fx.t.messages.shown[4].text.startsWith("Remove the word list \"Renamed\"?"));
        QCOMPARE(fx.choice.active(), QString());
        QCOMPARE(lists->count(), 1);
        QCOMPARE(fx.listFiles(), QStringList());
    }
};

QTEST_MAIN(WordListsTest)
#include "tst_wordlists.moc"
