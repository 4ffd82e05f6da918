#include "ErrorReporting.h"
#include "HistoryFile.h"
#include "HistoryFill.h"
#include "Settings.h"
#include "StudyRoom.h"
#include "StudyWindow.h"
#include "TestDoubles.h"
#include "WordDatabase.h"
#include "WordListChoice.h"
#include "WordListsDialog.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>

namespace {

// The bundled list in the program folder, an empty lists folder and a history of the bundled
// list, each in folders of the test's own.
struct Fixture
{
    Fixture()
    {
        WordDatabase::write(t.path(WordListChoice::BundledFile), {"AA", "CAT", "ZOOM"});
        store.create();
        store.open(t.path(WordListChoice::BundledFile));
        WordListSetting().store(QString());
    }
    QString writeList(const QByteArray& bytes)
    {
        const QString path = t.folder.filePath(QStringLiteral("My list.txt"));
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
        return path;
    }
    QStringList listFiles() const
    {
        return QDir(lists.path()).entryList(QDir::Files | QDir::Hidden);
    }

    TestEnvironment t;
    QTemporaryDir lists;
    WordStore store{t.random};
    Session session{t.env, store};
    History history{t.messages, t.folder.filePath(QStringLiteral("history.sqlite"))};
    WordListChoice choice{session, history, WordListCatalog(lists.path())};
};

} // namespace

class WordListsTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void import_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("cancel");
        QTest::addColumn<QString>("error"); // "" when written
        QTest::addColumn<QString>("report");
        QTest::newRow("with meanings")
            << QByteArray("qi\tvital force\r\nfoo bar\nquiz\nq1\n") << false << ""
            << "2-letter words: 1\n3-letter words: 1\n4-letter words: 1\nrejected lines: 1\n"
               "  not letters A-Z: 1\n";
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

    // The store, the history and the remembered choice change together, or not at all.
    void use()
    {
        Fixture fx;
        QString name;
        QVERIFY(fx.choice.import(fx.writeList("qi\nfoo\nquiz\n"), &name).written);
        fx.choice.use(name);
        QCOMPARE(fx.store.words(2), QStringList{"QI"});
        QCOMPARE(fx.history.path(), HistoryFile::pathForList(name));
        QCOMPARE(WordListSetting().load(), name);

        QFile::remove(fx.choice.pathOf(name));
        QVERIFY_THROWS_EXCEPTION(AppError, fx.choice.use(QStringLiteral("gone")));
        QCOMPARE(fx.choice.active(), name);
        QCOMPARE(WordListSetting().load(), name);

        fx.choice.use(QString());
        QCOMPARE(fx.store.words(2), QStringList{"AA"});
        QCOMPARE(fx.history.path(), HistoryFile::defaultPath());
    }

    // The study button's due count follows the background rebuild that the history of a list
    // switched to needs.
    void rebuildAfterASwitchRefreshesTheDueCount()
    {
        Fixture fx;
        QString name;
        QVERIFY(fx.choice.import(fx.writeList("qi\nza\n"), &name).written);
        const QString path = HistoryFile::pathForList(name);
        const auto remove = qScopeGuard([&] {
            for (const char* end : {"", "-wal", "-shm"})
                QFile::remove(path + QLatin1String(end));
        });
        const QDateTime at(QDate(2026, 3, 2), QTime(9, 0), Qt::UTC);
        fillHistory(path, {answerOn(QStringLiteral("QI"), at), answerOn(QStringLiteral("ZA"), at)});
        WordDatabase::execute(path, {"UPDATE meta SET value = 0 WHERE key = 'grading'"});
        ManualWallClock clock;
        StudyRoom room(fx.session, fx.history, clock);
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
        StudyRoom room(fx.session, fx.history, clock);
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

    // Through the window: import, use, and remove after asking, which brings back the bundled list.
    void dialog()
    {
        Fixture fx;
        const QString file = fx.writeList("qi\tvital force\nfoo\nquiz\n");
        QStringList asked;
        WordListsDialog dialog(fx.choice, fx.t.messages,
                               {[&](QWidget*) { return file; },
                                [&](QWidget*, const QString& text) {
                                    asked.append(text);
                                    return true;
                                }});
        auto* lists = dialog.findChild<QListWidget*>(QStringLiteral("ListOfWordLists"));
        QCOMPARE(lists->count(), 1);
        QVERIFY(lists->item(0)->text().endsWith(QStringLiteral("1 / 1 / 1 words of 2 / 3 / 4 "
                                                               "letters (in use)")));
        const auto click = [&](const QString& caption) {
            for (QPushButton* b : dialog.findChildren<QPushButton*>())
                if (b->text() == caption)
                    b->click();
        };
        click(QStringLiteral("&Import..."));
        QCOMPARE(fx.t.messages.shown.size(), 1);
        QVERIFY(fx.t.messages.shown[0].text.startsWith("The word list \"My list\" is imported."));
        QCOMPARE(lists->currentItem()->text(),
                 QStringLiteral("My list: 1 / 1 / 1 words of 2 / 3 / 4 letters"));
        click(QStringLiteral("&Use"));
        QCOMPARE(fx.choice.active(), QStringLiteral("My list"));
        QCOMPARE(fx.store.meaning(QStringLiteral("QI")), QStringLiteral("vital force"));
        click(QStringLiteral("&Remove..."));
        QCOMPARE(asked.size(), 1);
        QCOMPARE(fx.choice.active(), QString());
        QCOMPARE(lists->count(), 1);
        QCOMPARE(fx.listFiles(), QStringList());
    }
};

QTEST_MAIN(WordListsTest)
#include "tst_wordlists.moc"
