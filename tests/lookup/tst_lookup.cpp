// The Look up window and what it says: verdicts, meanings, hooks, anagrams and study states from a
// real history, matches fetched as shown, and a look-up that writes nothing.
#include "HistoryFill.h"
#include "TestDoubles.h"
#include "WordDatabase.h"
#include "lookup/LookupWindow.h"
#include "lookup/MatchModel.h"
#include "quiz/TrainerContext.h"
#include "study/History.h"
#include "studywindows/StudyController.h"
#include "words/WordIndexLoader.h"
#include "words/WordStore.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>

namespace {

const QStringList Words = {"AX",  "AE",  "QI",  "LAX", "MAX", "PAX", "SAX", "TAX", "WAX", "ZAX",
                           "AXE", "ACE", "AGE", "APE", "ATE", "EAT", "ETA", "TEA", "TAE", "AXES"};
const QString ListName = QStringLiteral("My <b>list</b>");

// A list with meanings and a history where AX was learnt, TEA missed and QZ taken for a word.
struct Desk
{
    Desk() : store(t.random), context(t.env, store), history(t.messages, t.path("history.sqlite"))
    {
        WordDatabase::openIn(store, t.path("dbWords.mdb"), Words,
                             {{"AX", "a <i>tool</i> for chopping"}});
        index = std::make_shared<const WordIndex>(WordIndex::fromFile(t.path("dbWords.mdb")));
    }
    void answer()
    {
        history.open();
        const QDateTime start = clock.now.addDays(-2);
        for (int minutes : {0, 2, 15})
            history.record(answerOn("AX", start.addSecs(minutes * 60)));
        history.record(answerOn("TEA", start, false)); // QZ chosen for a word
    }
    LookupWindow::Sources sources(bool withStates)
    {
        return {index, nullptr, &store, withStates ? &history : nullptr, ListName, {}};
    }

    TestEnvironment t;
    WordStore store;
    TrainerContext context;
    History history;
    ManualWallClock clock;
    std::shared_ptr<const WordIndex> index;
};

QString labelText(const QWidget& window, const char* name)
{
    const auto* label = window.findChild<QLabel*>(QLatin1String(name));
    return label && label->isVisibleTo(&window) ? label->text() : QString();
}

} // namespace

class TestLookup : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void facts_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("verdict");
        QTest::addColumn<QString>("meaning");
        QTest::addColumn<QString>("hooks");
        QTest::addColumn<QString>("anagrams");
        QTest::addColumn<QString>("state"); // its beginning
        const QString noHooks = "Front hooks: none; back hooks: none";
        QTest::newRow("learnt word")
            << "AX"
            << "AX is a word"
            << "Meaning: a <i>tool</i> for chopping"
            << "Front hooks: L (LAX), M (MAX), P (PAX), S (SAX), T (TAX), W (WAX), Z (ZAX); "
               "back hooks: E (AXE)"
            << "Anagrams: none"
            << "Study: learning; answered right 3 times, wrong never; last answer ";
        QTest::newRow("lower case, spaces") << " ax "
                                            << "AX is a word"
                                            << "Meaning: a <i>tool</i> for chopping"
                                            << "Front hooks: L (LAX), M (MAX), P (PAX), S (SAX), "
                                               "T (TAX), W (WAX), Z (ZAX); back hooks: E (AXE)"
                                            << "Anagrams: none"
                                            << "Study: learning";
        QTest::newRow("missed word")
            << "TEA"
            << "TEA is a word"
            << "" << noHooks << "Anagrams: ATE, EAT, ETA, TAE"
            << "Study: learning; answered right never, wrong once; last answer ";
        QTest::newRow("new word") << "QI"
                                  << "QI is a word"
                                  << "" << noHooks << "Anagrams: none"
                                  << "Study: new, not answered yet";
        QTest::newRow("four letters: hooks unknown")
            << "AXES"
            << "AXES is a word"
            << ""
            << "Hooks: not known, as the lists hold words of two to four letters"
            << "Anagrams: none"
            << "Study: new";
        QTest::newRow("non-word") << "QX"
                                  << "QX is not a word in " + ListName << "" << noHooks
                                  << "Anagrams: none"
                                  << "";
        QTest::newRow("non-word taken for a word")
            << "QZ"
            << "QZ is not a word in " + ListName << "" << noHooks << "Anagrams: none"
            << "Study: taken for a word once";
        QTest::newRow("non-word with hooks") << "XE"
                                             << "XE is not a word in " + ListName << ""
                                             << "Front hooks: A (AXE); back hooks: none"
                                             << "Anagrams: none"
                                             << "";
        QTest::newRow("pattern") << "a?e"
                                 << "A?E: 5 words fit in " + ListName << ""
                                 << ""
                                 << "Anagrams of A?E: ACE, AGE, APE, ATE, AXE, EAT, ETA, TAE, TEA"
                                 << "";
        QTest::newRow("anagram with a blank")
            << "AE?"
            << "AE?: 0 words fit in " + ListName << ""
            << ""
            << "Anagrams of AE?: ACE, AGE, APE, ATE, AXE, EAT, ETA, TAE, TEA"
            << "";
        QTest::newRow("markup is text")
            << "<b>"
            << "<b> is not a word in " + ListName + ": words are letters only (? is a blank tile)"
            << ""
            << ""
            << ""
            << "";
        QTest::newRow("control characters as spaces")
            << QString("Q\u0007I\u202e")
            << "Q I  is not a word in " + ListName + ": words are letters only (? is a blank tile)"
            << ""
            << ""
            << ""
            << "";
        QTest::newRow("too long") << "QUEENS"
                                  << "QUEENS is not a word in " + ListName +
                                         ": its words have two to four letters"
                                  << ""
                                  << ""
                                  << ""
                                  << "";
        QTest::newRow("nothing") << "  "
                                 << "Type a word, or letters with ? for a blank tile"
                                 << ""
                                 << ""
                                 << ""
                                 << "";
    }
    void facts()
    {
        QFETCH(QString, typed);
        QFETCH(QString, verdict);
        QFETCH(QString, meaning);
        QFETCH(QString, hooks);
        QFETCH(QString, anagrams);
        QFETCH(QString, state);
        Desk desk;
        desk.answer();
        const LookupFacts facts =
            LookupFacts::of({*desk.index, &desk.history, ListName, desk.clock.now}, typed);
        QCOMPARE(facts.verdict, verdict);
        QCOMPARE(facts.meaning, meaning);
        QCOMPARE(facts.hooks, hooks);
        QCOMPARE(facts.anagrams, anagrams);
        QVERIFY2(state.isEmpty() ? facts.state.isEmpty() : facts.state.startsWith(state),
                 qPrintable(facts.state));
    }

    void anagramsShortened()
    {
        // 65 words, all of them anagrams of four blanks; the word itself is left out of the count
        // too.
        const QStringList words = WordDatabase::sequentialWords(4, 65);
        const WordIndex index(words);
        QVERIFY(words.contains("AAAE"));
        const QString text = LookupFacts::anagramsText("Anagrams", index, "????", "AAAE");
        QVERIFY2(text.endsWith(" and 4 more"), qPrintable(text));
        QVERIFY(!text.contains("AAAE"));
        QCOMPARE(text.count(", "), LookupFacts::ShownAnagrams - 1);
    }

    // Return shows the verdict, typing shows the words that fit; nothing reaches the history.
    void windowLooksUpWithoutAnswering()
    {
        Desk desk;
        desk.answer();
        QVERIFY(desk.history.flush());
        const int answers = desk.history.answerCount();
        const quint64 revision = desk.history.statesRevision();
        LookupWindow window(desk.sources(true), desk.clock);
        window.show();
        auto* field = window.findChild<QLineEdit*>("LookUpField");
        QVERIFY(field && !field->accessibleName().isEmpty());
        QTest::keyClicks(field, "a?e");
        auto* list = window.findChild<QListView*>("Matches");
        QTRY_COMPARE(list->model()->rowCount(), 5);
        QCOMPARE(list->model()->index(0, 0).data().toString(), QString("ACE"));
        QCOMPARE(labelText(window, "MatchesCaption"), QString("5 words fit A?E"));

        field->selectAll();
        QTest::keyClicks(field, "ax");
        QTest::keyClick(field, Qt::Key_Return);
        QVERIFY(window.isVisible()); // Return looks up; it doesn't close
        QCOMPARE(labelText(window, "Verdict"), QString("AX is a word"));
        QCOMPARE(labelText(window, "Meaning"), QString("Meaning: a <i>tool</i> for chopping"));
        QVERIFY(labelText(window, "StudyState").startsWith("Study: learning"));
        QCOMPARE(labelText(window, "MatchesCaption"), QString("1 word fits AX"));
        for (const QLabel* label : window.findChildren<QLabel*>()) {
            if (label->buddy() == nullptr) {
                QCOMPARE(label->textFormat(), Qt::PlainText);
                QCOMPARE(label->accessibleName(), label->text());
            }
        }
        QCOMPARE(desk.history.pendingCount(), 0);
        QCOMPARE(desk.history.answerCount(), answers);
        QCOMPARE(desk.history.statesRevision(), revision);
    }

    // A pattern that fits every word of a full list makes only the rows the view shows.
    void matchesFetchedAsShown()
    {
        Desk desk;
        desk.index = std::make_shared<const WordIndex>(WordDatabase::sequentialWords(4, 32767));
        LookupWindow window(desk.sources(false), desk.clock);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTest::keyClicks(window.findChild<QLineEdit*>("LookUpField"), "????");
        auto* list = window.findChild<QListView*>("Matches");
        QTRY_VERIFY(list->model()->rowCount() > 0);
        QVERIFY(list->model()->rowCount() <= 2 * MatchModel::PageSize);
        QVERIFY(list->model()->canFetchMore({}));
        QCOMPARE(labelText(window, "MatchesCaption"),
                 QLocale().toString(32767) + " words fit ????");
        list->scrollToBottom();
        QTRY_VERIFY(list->model()->rowCount() > MatchModel::PageSize);
    }

    // From the main window's desk before the history was opened: the state is unknown, and the
    // look-up leaves the history unopened.
    void deskNeverOpensTheHistory()
    {
        Desk desk;
        StudyController controller(desk.context, desk.history, desk.clock);
        QString state, verdict;
        QTimer::singleShot(0, [&] {
            QWidget* window = QApplication::activeModalWidget();
            QVERIFY(window);
            auto* field = window->findChild<QLineEdit*>("LookUpField");
            QTest::keyClicks(field, "ax");
            QTest::keyClick(field, Qt::Key_Return); // answered once the list is read
            QTRY_VERIFY(labelText(*window, "Verdict") != "Reading the list...");
            verdict = labelText(*window, "Verdict");
            state = labelText(*window, "StudyState");
            QTest::keyClick(field, Qt::Key_Escape);
        });
        controller.lookUp(nullptr);
        QCOMPARE(verdict, QString("AX is a word"));
        QCOMPARE(state, QString("Study: not known yet, as your history is not open"));
        QCOMPARE(desk.history.mode(), HistoryMode::Untried);
        QVERIFY(desk.t.messages.shown.isEmpty());
    }

    // The list is read on the loader's thread: what was typed and a Return pressed meanwhile are
    // answered once it is there, and a list that can't be read says so in the window.
    void answersOnceTheListIsRead_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("verdict");
        QTest::addColumn<QString>("meaning");
        QTest::addColumn<int>("matches");
        QTest::newRow("read") << "dbWords.mdb"
                              << "AX is a word"
                              << "Meaning: a <i>tool</i> for chopping" << 1;
        QTest::newRow("unreadable") << "missing.mdb"
                                    << "The list could not be read: unable to open database file"
                                    << "" << 0;
    }
    void answersOnceTheListIsRead()
    {
        QFETCH(QString, file);
        QFETCH(QString, verdict);
        QFETCH(QString, meaning);
        QFETCH(int, matches);
        Desk desk;
        WordIndexLoader loader(desk.t.path(file));
        LookupWindow::Sources sources = desk.sources(false);
        sources.index = nullptr;
        sources.loader = &loader;
        LookupWindow window(sources, desk.clock);
        window.show();
        auto* field = window.findChild<QLineEdit*>("LookUpField");
        QTest::keyClicks(field, "ax");
        QTest::keyClick(field, Qt::Key_Return);
        QCOMPARE(labelText(window, "Verdict"), QString("Reading the list..."));
        QVERIFY(!window.findChild<QPushButton*>("BrowseButton")->isEnabled());
        loader.start();
        QTRY_COMPARE(labelText(window, "Verdict"), verdict);
        QCOMPARE(labelText(window, "Meaning"), meaning);
        // The view fetches the words that fit as it lays itself out, after the verdict.
        QTRY_COMPARE(window.findChild<QListView*>("Matches")->model()->rowCount(), matches);
        QCOMPARE(window.findChild<QPushButton*>("BrowseButton")->isEnabled(), matches > 0);
    }
};

QTEST_MAIN(TestLookup)
#include "tst_lookup.moc"
