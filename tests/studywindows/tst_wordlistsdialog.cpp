// The word-lists window over the lists' choice.
#include "HistoryFill.h"
#include "WordListsFixture.h"
#include "lists/WordListsDialog.h"

#include <QFileInfo>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>

class WordListsDialogTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
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

    // A long list is read off the window's thread, and meanwhile, before its progress window
    // shows, the window takes no other action: a second Import asks for no file, and Remove
    // removes nothing.
    void noOtherActionWhileAListIsRead()
    {
        Fixture fx;
        const QString name = fx.addList(QStringLiteral("Other"));
        QByteArray bytes;
        for (const QString& word : WordDatabase::sequentialWords(4, 30000))
            bytes += word.toLatin1() + '\n';
        const QString file = fx.writeList(bytes, QStringLiteral("Long.txt"));
        fx.t.messages.answer = true;
        int asked = 0;
        WordListsDialog* shown = nullptr;
        const auto click = [&](const QString& caption) {
            for (QPushButton* b : shown->findChildren<QPushButton*>())
                if (b->text() == caption)
                    b->click();
        };
        WordListsDialog dialog(fx.choice, fx.t.messages,
                               {[&](QWidget*) {
                                    if (++asked == 1) // on the window's thread, as it reads
                                        QTimer::singleShot(0, [&] {
                                            click(QStringLiteral("&Import..."));
                                            click(QStringLiteral("&Remove..."));
                                        });
                                    return file;
                                },
                                {},
                                {}});
        shown = &dialog;
        auto* lists = dialog.findChild<QListWidget*>(QStringLiteral("ListOfWordLists"));
        lists->setCurrentRow(1); // "Other"
        click(QStringLiteral("&Import..."));
        QCOMPARE(asked, 1);
        QCOMPARE(fx.t.messages.shown.size(), 1);
        QVERIFY2(fx.t.messages.shown[0].text.startsWith("The word list \"Long\" is imported."),
                 qPrintable(fx.t.messages.shown[0].text));
        QVERIFY(QFileInfo::exists(name));
    }
};

QTEST_MAIN(WordListsDialogTest)
#include "tst_wordlistsdialog.moc"
