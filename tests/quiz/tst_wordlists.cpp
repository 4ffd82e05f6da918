#include "ErrorReporting.h"
#include "HistoryFile.h"
#include "Settings.h"
#include "TestDoubles.h"
#include "WordDatabase.h"
#include "WordListChoice.h"
#include "WordListsDialog.h"

#include <QApplication>
#include <QDir>
#include <QListWidget>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>

namespace {

// A view named like a word view whose rows never end.
const QString EndlessView = QStringLiteral("WITH RECURSIVE c(fldword) AS (SELECT 'XI' UNION ALL "
                                           "SELECT fldword FROM c) SELECT fldword FROM c");

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
    // An imported list as another trainer would have put it there.
    QString addList(const QString& name, const QStringList& words = {"XI", "XIS", "XYST"})
    {
        const QString path = WordListCatalog(lists.path()).pathOf(name);
        WordDatabase::write(path, words);
        return path;
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
            << QByteArray("qi\nquiz\n") << false << "the list holds no three-letter words"
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
        WordListsDialog dialog(
            fx.choice, fx.t.messages,
            {[](QWidget*) { return QString(); }, [](QWidget*, const QString&) { return true; }});
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
        click(QStringLiteral("&Remove..."));
        QCOMPARE(asked.size(), 1);
        QCOMPARE(fx.choice.active(), QString());
        QCOMPARE(lists->count(), 1);
        QCOMPARE(fx.listFiles(), QStringList());
    }
};

QTEST_MAIN(WordListsTest)
#include "tst_wordlists.moc"
