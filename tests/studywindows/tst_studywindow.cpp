#include "HistoryFill.h"
#include "StudyFixture.h"
#include "TestDoubles.h"
#include "WordDatabase.h"
#include "base/Branding.h"
#include "base/Settings.h"
#include "base/look/PushButton.h"
#include "quiz/TrainerContext.h"
#include "study/History.h"
#include "study/StudyEngine.h"
#include "studywindows/StudyController.h"
#include "studywindows/StudyWindow.h"
#include "words/WordStore.h"

#include <QAccessible>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QSettings>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>

class TestStudyWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    // Each test starts from the default settings, whatever the last run left in the test file.
    void init() { QSettings(QSettings::UserScope, QStringLiteral("Quenmark")).clear(); }

    // Each answer, by number key, Tab and Space, or mouse: green on the right button, red on a
    // wrong choice, the cue, the outcome on the status line, the missed words by kind; then any
    // key goes on at once.
    void answersShowTheirOutcome_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("right");
        for (const char* how : {"key", "tab", "mouse"}) {
            QTest::addRow("%s right", how) << QString::fromLatin1(how) << true;
            QTest::addRow("%s wrong", how) << QString::fromLatin1(how) << false;
        }
    }
    void answersShowTheirOutcome()
    {
        QFETCH(QString, how);
        QFETCH(bool, right);
        Fixture fx(80);
        fx.learntLongAgo(WordDatabase::sequentialWords(2, 3));
        StudyWindow w(fx.context, *fx.session, 600000);
        QVERIFY(w.start());
        w.show();
        QApplication::setActiveWindow(&w);
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QSet<bool> kindsSeen;
        QStringList rejected, accepted;
        const QColor plain = Fixture::colour(w, 1);
        for (int question = 0; question < 8; ++question) {
            const QStringList words = fx.candidates(w);
            const int good = fx.rightButton(w);
            QVERIFY(good > 0);
            const int k = right ? good : good % 4 + 1;
            const bool validKind = Fixture::asksForTheWord(w);
            kindsSeen.insert(validKind);
            if (!right) {
                rejected.append(validKind ? words[good - 1] : words[k - 1]);
                accepted.append(validKind ? words[k - 1] : words[good - 1]);
            }
            // The real word least likely recalled before the answer: the one a right
            // choose-the-invalid answer tells the meaning of.
            QString least;
            double lowest = 2.0;
            for (int i = 0; i < 4; ++i) {
                const WordMemory* m = fx.history.find(words[i]);
                const double recall = m ? fx.history.policy().recall(*m, fx.clock.nowUtc()) : 0.0;
                if (i != good - 1 && recall < lowest) {
                    lowest = recall;
                    least = words[i];
                }
            }
            const int played = fx.t.sounds.played.size();
            if (how == "key") {
                QTest::keyClick(&w, Qt::Key(Qt::Key_0 + k));
            } else if (how == "tab") {
                for (int i = 0; i < k; ++i)
                    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
                QCOMPARE(QApplication::focusWidget(), Fixture::button(w, k));
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
            } else {
                QTest::mouseClick(Fixture::button(w, k), Qt::LeftButton);
            }
            QVERIFY(w.showingOutcome());
            for (int b = 1; b <= 4; ++b) {
                const QColor expected = b == good ? QColor(0, 128, 0)
                                        : b == k  ? QColor(200, 0, 0)
                                                  : plain;
                QCOMPARE(Fixture::colour(w, b), expected);
            }
            QCOMPARE(fx.t.sounds.played.size(), played + 1);
            QVERIFY(fx.t.sounds.played.last().path.endsWith(right ? "correct.wav" : "wrong.wav"));
            const QString outcome =
                w.findChild<QLabel*>(QStringLiteral("Outcome"))->accessibleName();
            QVERIFY2(outcome.startsWith(right ? "Right: " : "Wrong: "), qPrintable(outcome));
            QVERIFY(outcome.contains(words[good - 1]));
            if (right && !validKind)
                QVERIFY2(outcome.contains(QStringLiteral("not a word. %1: ").arg(least)) ||
                             outcome.endsWith(QStringLiteral("; %1 is a word").arg(least)),
                         qPrintable(outcome));
            if (!right) // the word, then the non-word
                QVERIFY2(outcome.contains(QStringLiteral("%1 is a word; %2 is not")
                                              .arg(rejected.last(), accepted.last())),
                         qPrintable(outcome));

            fx.clock.advanceSecs(660);      // words in their learning steps come due again
            QTest::keyClick(&w, Qt::Key_A); // any key: the next question at once
            QVERIFY(w.isVisible());
            QVERIFY(!w.showingOutcome());
            QCOMPARE(Fixture::colour(w, good), plain);
        }
        QVERIFY(!kindsSeen.isEmpty());
        rejected.removeDuplicates();
        accepted.removeDuplicates();
        QCOMPARE(w.sessionResult().answered, 8);
        QCOMPARE(w.sessionResult().right, right ? 8 : 0);
        QCOMPARE(w.sessionResult().rejectedWords, rejected);
        QCOMPARE(w.sessionResult().acceptedNonWords, accepted);
        QVERIFY(
            w.findChild<QLabel*>(QStringLiteral("StudyLine"))
                ->text()
                .contains(QStringLiteral("Answered: 8     Right: %1").arg(right ? "100%" : "0%")));
    }

    // The study window's first line counts the due words the main window's button showed, while
    // the day's fit, or a rebuild for new grading rules, finishes behind it; what they change
    // shows once the session is over.
    void firstLineCountsWhatTheButtonShowed_data()
    {
        QTest::addColumn<bool>("rulesChanged");
        QTest::newRow("fit") << false;
        QTest::newRow("new rules") << true;
    }
    void firstLineCountsWhatTheButtonShowed()
    {
        QFETCH(bool, rulesChanged);
        Fixture fx;
        const QStringList words = WordDatabase::sequentialWords(2, 40);
        QList<AnswerRecord> past; // one session two months ago, one answer in five wrong
        for (int n = 0; n < 300; ++n)
            past.append(
                answerOn(words[n % 40], fx.clock.now.addDays(-60).addSecs(n * 60), n % 5 != 4));
        const QString path = fx.t.path(QStringLiteral("history.sqlite"));
        fillHistory(path, past);
        if (rulesChanged) // states that show nothing due, until rebuilt
            WordDatabase::execute(
                path, {QStringLiteral("UPDATE word_state SET due_ms = due_ms + 864000000000"),
                       QStringLiteral("UPDATE meta SET value = 0 WHERE key = 'grading'")});
        auto fit = std::make_shared<ScriptedFit>();
        fit->scale = 100.0; // a fit that puts the words known off for months
        fx.history.setFitter(scripted(fit));
        StudyController room(fx.context, fx.history, fx.clock);
        room.pauseMs = 600000;
        const std::optional<int> shown = room.dueNow();
        QVERIFY(shown);
        QVERIFY(fx.history.waitForBackgroundWork(30000));

        QString firstLine;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (auto* window = qobject_cast<StudyWindow*>(modal); window && firstLine.isEmpty()) {
                firstLine = window->findChild<QLabel*>(QStringLiteral("StudyLine"))->text();
                window->reject();
            } else if (qobject_cast<StudySummaryWindow*>(modal)) {
                modal->close();
            }
        });
        poll.start(5);
        room.study(nullptr);
        QVERIFY2(firstLine.startsWith(QStringLiteral("Due left: %1 ").arg(*shown)),
                 qPrintable(firstLine));
        QVERIFY(fx.history.waitForBackgroundWork(30000));
        // Taken up once the session is over: the rebuilt states, or the fitted weights (a first
        // answer never lifts a word past the due date, whatever the weights).
        const std::optional<int> after = room.dueNow();
        if (rulesChanged)
            QVERIFY(after != shown);
        else
            QVERIFY(fx.history.policy().model.weights() != Fsrs::defaultWeights());
        QVERIFY(fx.t.messages.shown.isEmpty());
    }

    // Study these: the study window drills the chosen words, its line counting those left, and
    // the summary after it offers no practice; closing it ends the sitting.
    void studyTheseDrillsTheChosenWords()
    {
        Fixture fx;
        const QStringList chosen = WordDatabase::sequentialWords(2, 4);
        StudyController room(fx.context, fx.history, fx.clock);
        room.pauseMs = 600000;
        QStringList lines;
        int summaries = 0;
        bool practiceOffered = true;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (auto* window = qobject_cast<StudyWindow*>(modal)) {
                lines.append(window->findChild<QLabel*>(QStringLiteral("StudyLine"))->text());
                window->reject();
            } else if (qobject_cast<StudySummaryWindow*>(modal)) {
                ++summaries;
                practiceOffered =
                    modal->findChild<QPushButton*>(QStringLiteral("PushButton2"))->isVisible();
                modal->close();
            }
        });
        poll.start(5);
        room.studyThese(nullptr, chosen);
        QCOMPARE(lines.size(), 1);
        QVERIFY2(lines[0].startsWith(QStringLiteral("Words left: 1 ")), qPrintable(lines[0]));
        QCOMPARE(summaries, 1);
        QVERIFY(!practiceOffered);
    }

    // Without a key, the next question follows the pause; a held key neither answers twice nor
    // skips the outcome.
    void pauseLeadsOn()
    {
        Fixture fx;
        StudyWindow w(fx.context, *fx.session, 30);
        QVERIFY(w.start());
        w.show();
        QKeyEvent first(QEvent::KeyPress, Qt::Key_1, Qt::NoModifier, QStringLiteral("1"));
        QApplication::sendEvent(&w, &first);
        QVERIFY(w.showingOutcome());
        QKeyEvent repeat(QEvent::KeyPress, Qt::Key_2, Qt::NoModifier, QStringLiteral("2"), true);
        QApplication::sendEvent(&w, &repeat);
        QVERIFY(w.showingOutcome());
        QCOMPARE(w.sessionResult().answered, 1);
        QTRY_VERIFY(!w.showingOutcome());
        QCOMPARE(w.sessionResult().answered, 1);
    }

    // Ctrl+Z or Backspace in the pause after an answer takes it back and asks the same question
    // again, as if it had never been answered; once the next question shows, they do nothing.
    void undoKeysTakeTheAnswerBack_data()
    {
        QTest::addColumn<QKeySequence>("undo");
        QTest::addColumn<bool>("right");
        QTest::newRow("ctrl+z, wrong") << QKeySequence(Qt::CTRL | Qt::Key_Z) << false;
        QTest::newRow("backspace, right") << QKeySequence(Qt::Key_Backspace) << true;
    }
    void undoKeysTakeTheAnswerBack()
    {
        QFETCH(QKeySequence, undo);
        QFETCH(bool, right);
        Fixture fx;
        StudyWindow w(fx.context, *fx.session, 600000);
        QVERIFY(w.start());
        const auto line = [&w] { return w.findChild<QLabel*>("StudyLine")->text(); };
        const QStringList words = fx.candidates(w), states = snapshot(fx.history);
        const QString lineBefore = line();
        const int good = fx.rightButton(w);
        QTest::keyClick(&w, Qt::Key(Qt::Key_0 + (right ? good : good % 4 + 1)));
        QTest::keySequence(&w, undo);
        QVERIFY(!w.showingOutcome());
        QCOMPARE(fx.candidates(w), words);
        QCOMPARE(w.findChild<QLabel*>("Outcome")->accessibleName(), "Answer taken back");
        QCOMPARE(Fixture::colour(w, good), Fixture::colour(w, good % 4 + 1));
        QCOMPARE(snapshot(fx.history), states);
        QCOMPARE(line(), lineBefore);
        QVERIFY(w.sessionResult().rejectedWords.isEmpty());
        QVERIFY(w.sessionResult().acceptedNonWords.isEmpty());

        QTest::keyClick(&w, Qt::Key(Qt::Key_0 + good));
        QTest::keyClick(&w, Qt::Key_Space);
        const QStringList next = fx.candidates(w);
        QTest::keySequence(&w, undo);
        QCOMPARE(fx.candidates(w), next);
        QCOMPARE(w.sessionResult().answered, 1);
        QVERIFY(fx.history.flush());
        QCOMPARE(fx.history.answerCount(), 1);
    }

    // The session ends by itself when today's new words are done.
    void endsWhenTodaysWorkIsDone()
    {
        Fixture fx(3);
        StudyWindow w(fx.context, *fx.session, 600000);
        QVERIFY(w.start());
        w.show();
        int answered = 0;
        while (w.isVisible() && answered < 60) {
            QTest::keyClick(&w, Qt::Key(Qt::Key_0 + fx.rightButton(w)));
            QTest::keyClick(&w, Qt::Key_Space);
            ++answered;
        }
        QVERIFY(!w.isVisible());
        QCOMPARE(w.sessionResult().answered, answered);
        QCOMPARE(w.QDialog::result(), int(QDialog::Accepted));
        QVERIFY(!fx.engine->next());
        QVERIFY(!StudyWindow(fx.context, *fx.session).start());
    }

    // After the day's work the player may keep practising: from the summary, or when nothing is
    // left, from the question (in a box titled like every window). Escape ends a session, while
    // a question or an outcome shows, and its summary follows; an empty list there says none.
    void keepPractising_data()
    {
        QTest::addColumn<bool>("dayDone");
        QTest::newRow("from the summary") << false;
        QTest::newRow("when nothing is left") << true;
    }
    void keepPractising()
    {
        QFETCH(bool, dayDone);
        Fixture fx;
        if (dayDone) // every word answered right a moment ago: nothing due, nothing new
            for (const QString& word : std::as_const(fx.valid))
                fx.history.record(answerOn(word, fx.clock.now.addSecs(-60)));
        fx.t.messages.answer = true;
        StudyController room(fx.context, fx.history, fx.clock);
        room.pauseMs = 600000;
        int windows = 0;
        QStringList firstItems; // of the missed words' list, in each summary
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (auto* w = qobject_cast<StudyWindow*>(modal); w && !w->property("met").isValid()) {
                w->setProperty("met", ++windows);
                if (windows == 1 && !dayDone) // answered right, then Escape
                    QTest::keyClick(w, Qt::Key(Qt::Key_0 + fx.rightButton(*w)));
                QTest::keyClick(w, Qt::Key_Escape);
            } else if (auto* summary = qobject_cast<StudySummaryWindow*>(modal)) {
                firstItems.append(summary->findChild<QListWidget*>(QStringLiteral("RejectedList"))
                                      ->item(0)
                                      ->text());
                if (windows == 1 && !dayDone)
                    summary->findChild<PushButton*>(QStringLiteral("PushButton2"))->click();
                else
                    summary->close();
            }
        });
        poll.start(5);
        room.study(nullptr);
        QCOMPARE(windows, dayDone ? 1 : 2);
        QCOMPARE(firstItems, QStringList(windows, QStringLiteral("none")));
        QCOMPARE(fx.t.messages.shown.size(), dayDone ? 1 : 0);
        for (const RecordingMessageBoxes::Message& m : std::as_const(fx.t.messages.shown))
            QVERIFY(m.title == Branding::ProductName && m.text.endsWith("Keep practising?"));
    }

    // A meaning too long for the summary's list wraps onto more lines: all of it shows, and the
    // list never scrolls sideways.
    void summaryWrapsLongMeanings()
    {
        StudySessionResult result;
        result.answered = 2;
        result.rejectedWords = {QStringLiteral("QI"), QStringLiteral("ZA")};
        result.meanings.insert(
            QStringLiteral("QI"),
            QStringLiteral("the circulating life energy that in Chinese "
                           "philosophy is thought to be inherent in all things"));
        StudySummaryWindow summary(result);
        summary.show();
        QVERIFY(QTest::qWaitForWindowExposed(&summary));
        auto* list = summary.findChild<QListWidget*>(QStringLiteral("RejectedList"));
        QTRY_COMPARE(list->horizontalScrollBar()->maximum(), 0);
        const int line = list->fontMetrics().height();
        QVERIFY(list->visualItemRect(list->item(0)).height() >= 2 * line);
        QVERIFY(list->visualItemRect(list->item(1)).height() < 2 * line);
    }

    // Study starts whenever the player likes, long after the store's last statement: its time has
    // run out (a lookup by key ends before the limit is looked at); the lists get time of their
    // own.
    void studyLongAfterTheStoreOpened()
    {
        Fixture fx;
        const QString big = fx.t.path(QStringLiteral("big.mdb"));
        WordDatabase::write(big, WordDatabase::sequentialWords(2, 600) +
                                     WordDatabase::sequentialWords(3, 3000));
        fx.store.open(big);
        fx.store.setTimeLimit(std::chrono::milliseconds(0));
        QVERIFY(fx.store.IsWordInDb(3, QStringLiteral("AAA"))); // its last statement
        fx.store.setTimeLimit(std::chrono::hours(1));
        StudySettings settings;
        settings.lengths = {2, 3};
        StudyEngine engine(fx.store, fx.history, fx.clock, fx.t.random, settings);
        QVERIFY(engine.next().has_value());
    }

    void nextReviewText_data()
    {
        QTest::addColumn<QDateTime>("next");
        QTest::addColumn<bool>("saved");
        QTest::addColumn<QString>("text");
        const QDateTime now(QDate(2026, 3, 2), QTime(9, 0), Qt::LocalTime);
        QTest::newRow("none") << QDateTime() << true << "nothing scheduled";
        QTest::newRow("past") << now.addSecs(-60) << true << "now";
        QTest::newRow("today") << now.addSecs(600) << true << "today at 09:10";
        QTest::newRow("tomorrow") << now.addDays(1) << true << "tomorrow at 09:00";
        QTest::newRow("later") << now.addDays(4).addSecs(3600) << true << "Fri 6 Mar at 10:00";
        QTest::newRow("not saved")
            << now.addDays(1) << false << "not known, as your answers are not saved";
    }
    void nextReviewText()
    {
        QFETCH(QDateTime, next);
        QFETCH(bool, saved);
        QFETCH(QString, text);
        const QDateTime now(QDate(2026, 3, 2), QTime(9, 0), Qt::LocalTime);
        QCOMPARE(StudySummaryWindow::nextReviewText(next.toUTC(), now.toUTC(), saved), text);
    }
};

QTEST_MAIN(TestStudyWindow)
#include "tst_studywindow.moc"
