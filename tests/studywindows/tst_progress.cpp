#include "TestDoubles.h"
#include "WordDatabase.h"
#include "lookup/BrowseWindow.h"
#include "study/History.h"
#include "study/ProgressFigures.h"
#include "study/WordTimeline.h"
#include "studywindows/StudyController.h"
#include "words/WordList.h"
#include "words/WordListCatalog.h"
#include "words/WordListImport.h"
#include "words/WordListWriter.h"
#include "words/WordStore.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {

bool chartsLoaded()
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    return maps.open(QIODevice::ReadOnly) && maps.readAll().contains("libQt6Charts");
}

// A history with three words learnt long ago and two misses, and a desk over it whose program
// folder, a temporary one, holds a link to the built progress module.
struct Fixture
{
    Fixture()
        : store(t.random), context(t.env, store),
          history(t.messages, t.path(QStringLiteral("history.sqlite")))
    {
        // Two-letter words only, as an imported list may be; a meaning with a line break.
        WordDatabase::openIn(store, t.path(QStringLiteral("dbWords.mdb")),
                             WordDatabase::sequentialWords(2, 20),
                             {{"AD", "an advertisement,\nin short"}});
        const QString module = ProgressModule::moduleFileName();
        QFile::link(QDir(qEnvironmentVariable("LEXITOR_PROGRAM_DIR")).filePath(module),
                    t.path(module));
        const QDateTime start = clock.now.addDays(-3);
        for (const char* word : {"AA", "AB", "AC"})
            history.record({start,
                            QStringLiteral("Form2"),
                            true,
                            2,
                            {QString::fromLatin1(word), "QZ", "XJ", "VK"},
                            0,
                            0,
                            900});
        // Took XJ for a word, passing over AD.
        history.record(
            {start, QStringLiteral("study"), true, 2, {"AD", "QZ", "XJ", "VK"}, 0, 2, 900});
        QVERIFY(history.flush()); // the window reads the file
        room.emplace(context, history, clock);
    }

    // Runs the progress window; inspect runs while it is up, then it closes.
    void whileShown(const std::function<void(QDialog&)>& inspect)
    {
        QTimer::singleShot(0, [&] {
            auto* window = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            QVERIFY(window);
            inspect(*window);
            window->reject();
        });
        room->showProgress(nullptr);
    }

    TestEnvironment t;
    WordStore store;
    TrainerContext context;
    History history;
    ManualWallClock clock;
    std::optional<StudyController> room;
};

// States from "WORD first last due stability" (days from now; stability 0 for a word missed last).
QHash<QString, WordMemory> states(const QStringList& specs, const QDateTime& now)
{
    QHash<QString, WordMemory> all;
    for (const QString& spec : specs) {
        const QStringList f = spec.split(QLatin1Char(' '));
        WordMemory& m = all[f[0]];
        m.word = f[0];
        m.firstReview = now.addDays(f[1].toInt());
        m.lastReview = now.addDays(f[2].toInt());
        m.due = now.addDays(f[3].toInt());
        m.missedLast = f[4] == QLatin1String("0");
        m.memory = Fsrs::MemoryState{std::max(f[4].toDouble(), 1.0), 5.0};
    }
    return all;
}

QStringList items(const QDialog& window, const char* name = "MissedList")
{
    QStringList all;
    const auto* list = window.findChild<QListWidget*>(QLatin1String(name));
    for (int i = 0; i < list->count(); ++i)
        all.append(list->item(i)->text());
    return all;
}

} // namespace

class TestProgress : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    // Qt Charts loads with the window, not before; the window shows the history's figures.
    void showsTheHistory()
    {
        Fixture fx;
        QVERIFY(!chartsLoaded());
        bool shown = false;
        fx.whileShown([&](QDialog& window) {
            shown = true;
            QVERIFY(chartsLoaded());
            // A line break in a meaning shows as a blank.
            // The words first, the non-words in a list of their own.
            QCOMPARE(items(window),
                     QStringList({"AD   missed 1 time: an advertisement, in short"}));
            QCOMPARE(items(window, "NonWordsList"), QStringList({"XJ   taken for a word 1 time"}));
            const QString summary = window.findChild<QLabel*>(QStringLiteral("Summary"))->text();
            QVERIFY2(summary.contains(QStringLiteral("4 answers, 75 % right")),
                     qPrintable(summary));
            QStringList charts;
            for (const QWidget* w : window.findChildren<QWidget*>())
                if (w->accessibleName().startsWith(QStringLiteral("Words by")) ||
                    w->accessibleName().startsWith(QStringLiteral("Last 30")))
                    charts.append(w->accessibleName());
            QCOMPARE(charts.size(), 2);
            // Each chart's figures in words, for screen readers too.
            QStringList described;
            for (const char* name : {"SharesChart", "KnownChart", "DueChart", "DaysChart"})
                described.append(window.findChild<QWidget*>(QLatin1String(name))
                                     ->accessibleDescription()
                                     .section(QLatin1Char(';'), 0, 0));
            QCOMPARE(described,
                     QStringList({"2 letters: 0 known (0 %), 4 learning, 16 new",
                                  "No word known yet: a word counts as known once you remember "
                                  "it for three weeks.",
                                  "Due: 4 today, 0 tomorrow, 4 in the next 14 days.",
                                  "Last 30 days: 4 answers, 75 % right."}));
        });
        QVERIFY(shown);
        QVERIFY(fx.t.messages.shown.isEmpty());
    }

    // The figures and their words, from the states alone: known from the last answer on, overdue
    // words due today, the lists' shares. The busiest day is named only when days differ.
    void figuresInWords_data()
    {
        QTest::addColumn<QStringList>("specs");
        QTest::addColumn<QList<int>>("answers"); // on the last days, today last; 3 in 4 right
        QTest::addColumn<QList<int>>("known");
        QTest::addColumn<QList<int>>("due");
        QTest::addColumn<QStringList>("texts");
        QTest::newRow("new player")
            << QStringList() << QList<int>() << QList<int>{0} << QList<int>{0, 0, 0}
            << QStringList{"2 letters: 0 known (0 %), 0 learning, 4 new.",
                           "No word known yet: a word counts as known once you remember it for "
                           "three weeks.",
                           "Nothing due in the next 14 days.", "No answers in the last 30 days."};
        QTest::newRow("five days")
            << QStringList{"AA -4 -2 20 30", "AB -3 -1 -2 2", "AC -3 -3 1 0", "AD -1 -1 1 3"}
            << QList<int>{4} << QList<int>{0, 0, 1, 1, 1} << QList<int>{1, 2, 0}
            << QStringList{"2 letters: 1 known (25 %), 3 learning, 0 new.",
                           "Known words from 26 Feb to today: 2 letters 0 to 1.",
                           "Due: 1 today, 2 tomorrow, 3 in the next 14 days; most on Tue 3 Mar "
                           "(2).",
                           "Last 30 days: 4 answers, 75 % right."};
        QTest::newRow("busier days")
            << QStringList{"AA -2 -2 1 3", "AB -2 -2 1 3", "AC -1 -1 2 3"}
            << QList<int>{2400, 0, 2800, 0} << QList<int>{0, 0, 0} << QList<int>{0, 2, 1}
            << QStringList{"2 letters: 0 known (0 %), 3 learning, 1 new.",
                           "No word known yet: a word counts as known once you remember it for "
                           "three weeks.",
                           "Due: 0 today, 2 tomorrow, 3 in the next 14 days; most on Tue 3 Mar "
                           "(2).",
                           "Last 30 days: 5,200 answers, 75 % right; most on 1 Mar (2,800)."};
        QTest::newRow("every day alike")
            << QStringList{"AA -2 -2 1 3", "AB -2 -2 2 3"} << QList<int>{100, 100, 100}
            << QList<int>{0, 0, 0} << QList<int>{0, 1, 1}
            << QStringList{"2 letters: 0 known (0 %), 2 learning, 2 new.",
                           "No word known yet: a word counts as known once you remember it for "
                           "three weeks.",
                           "Due: 0 today, 1 tomorrow, 2 in the next 14 days.",
                           "Last 30 days: 300 answers, 75 % right."};
    }
    void figuresInWords()
    {
        QFETCH(QStringList, specs);
        QFETCH(QList<int>, answers);
        QFETCH(QList<int>, known);
        QFETCH(QList<int>, due);
        QFETCH(QStringList, texts);
        const QDateTime now(QDate(2026, 3, 2), QTime(12, 0), Qt::LocalTime);
        const QStringList words{"AA", "AB", "AC", "AD"};
        const QHash<QString, WordMemory> all = states(specs, now);
        const MemoryPolicy policy;
        const LengthCounts counts = countWords(2, words, all, policy);
        ProgressData data;
        data.lengths.append({2, counts.newWords, counts.learning, counts.known});
        for (int i = 29; i >= 0; --i) {
            const int given = answers.value(answers.size() - 1 - i);
            data.days.append({now.date().addDays(-i), given, given * 3 / 4});
        }
        ProgressFigures::addTimeline(data, wordTimeline({{2, words}}, all, policy, now, 14));
        ProgressFigures::describe(data);
        QCOMPARE(data.known.value(0).counts, known);
        QCOMPARE(data.due.mid(0, 3), due);
        QCOMPARE(
            QStringList({data.texts.lengths, data.texts.known, data.texts.due, data.texts.days}),
            texts);
        QCOMPARE(data.dueLabels.first(), QStringLiteral("Today"));
        QCOMPARE(data.dayLabels.last(), QStringLiteral("2 Mar"));
    }

    // Forgetting asks first; yes moves the history aside, never deleting it, and the window
    // shows a fresh start.
    void forgetAllAsksFirst_data()
    {
        QTest::addColumn<bool>("yes");
        QTest::newRow("no") << false;
        QTest::newRow("yes") << true;
    }
    void forgetAllAsksFirst()
    {
        QFETCH(bool, yes);
        Fixture fx;
        fx.t.messages.answer = yes;
        QStringList after;
        fx.whileShown([&](QDialog& window) {
            window.findChild<QAbstractButton*>(QStringLiteral("ForgetButton"))->click();
            after = items(window);
        });
        QCOMPARE(fx.t.messages.shown.size(), yes ? 2 : 1);
        QVERIFY(
            fx.t.messages.shown[0].text.startsWith(QStringLiteral("Forget all your progress?")));
        QCOMPARE(fx.history.answerCount(), yes ? 0 : 4);
        QCOMPARE(after.value(0).left(2), yes ? QStringLiteral("No") : QStringLiteral("AD"));
        const QStringList files =
            QDir(fx.t.folder.path()).entryList({QStringLiteral("history*")}, QDir::Files);
        QVERIFY2(files.size() >= (yes ? 2 : 1), qPrintable(files.join(' ')));
        if (yes)
            QVERIFY(
                fx.t.messages.shown[1].text.startsWith(QStringLiteral("Your old history is kept")));
    }

    // Only words of the word list are saved as words, each with its meaning on its line; the
    // non-words follow as comment lines, which the word list reader skips. The import takes the
    // file back, meanings and all, though it holds words of one length only.
    void savesTheMissedWordsAsAPlainList()
    {
        Fixture fx;
        const QString path = fx.t.path(QStringLiteral("missed.txt"));
        QVERIFY(path.startsWith(fx.t.folder.path()));
        fx.room->askSavePath = [&](QWidget*) { return path; };
        fx.whileShown([&](QDialog& window) {
            window.findChild<QAbstractButton*>(QStringLiteral("SaveButton"))->click();
        });
        QFile saved(path);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        const QByteArray text = saved.readAll();
        QCOMPARE(text,
                 QByteArray("AD an advertisement, in short\n# Missed too, but not words:\n# XJ\n"));
        WordList list;
        QVERIFY(list.feed(text.constData(), std::size_t(text.size())) && list.finish());
        QCOMPARE(list.words(), QStringList{"AD"});
        for (int reason = 0; reason < WordList::ReasonCount; ++reason)
            QCOMPARE(list.rejected(WordList::Reason(reason)), 0);
        const WordListCatalog catalog(fx.t.path(QStringLiteral("lists")));
        const WordListImport::Outcome outcome = WordListImport::build(path, catalog);
        QVERIFY2(outcome.written, qPrintable(outcome.error));
        QCOMPARE(WordDatabase::meanings(catalog.pathOf(outcome.name)),
                 QStringList{"AD an advertisement, in short"});
        QVERIFY(!WordListWriter::write(fx.t.path(QStringLiteral("no/such/folder.txt")), {"AA"}));
    }

    // Browse words... opens Browse over the list in use and the history's states.
    void browsesTheList()
    {
        Fixture fx;
        QStringList shown, missed;
        fx.whileShown([&](QDialog& window) {
            QTimer::singleShot(0, [&] {
                auto* browse = qobject_cast<BrowseWindow*>(QApplication::activeModalWidget());
                QVERIFY(browse);
                shown = browse->shownWords();
                auto* filter = browse->findChild<QComboBox*>(QStringLiteral("BrowseFilter"));
                filter->setCurrentIndex(filter->findText(QStringLiteral("Missed last time")));
                missed = browse->shownWords();
                browse->reject();
            });
            window.findChild<QAbstractButton*>(QStringLiteral("BrowseButton"))->click();
        });
        QCOMPARE(shown, WordDatabase::sequentialWords(2, 20));
        QCOMPARE(missed, QStringList{"AD"});
    }
};

QTEST_MAIN(TestProgress)
#include "tst_progress.moc"
