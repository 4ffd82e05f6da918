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
#include "studywindows/StudySettingsDialog.h"
#include "studywindows/StudyWindow.h"
#include "words/WordStore.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QSettings>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTest>
#include <QThread>
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

    // The settings dialog from the keyboard: the number box has the focus, and OK needs at
    // least one length.
    void settingsDialog()
    {
        StudySettingsDialog dialog(StudyPreferences{});
        dialog.show();
        QApplication::setActiveWindow(&dialog);
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        auto* number = qobject_cast<QSpinBox*>(QApplication::focusWidget());
        QVERIFY(number);
        number->selectAll();
        QTest::keyClicks(number, QStringLiteral("35"));
        QPushButton* ok = dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
        auto boxes = dialog.findChildren<QCheckBox*>();
        QCOMPARE(boxes.size(), 4);
        QCheckBox* automatic = boxes.takeLast(); // after the lengths
        QCOMPARE(automatic->accessibleName(), QStringLiteral("Auto new words a day"));
        for (QCheckBox* box : boxes)
            QTest::keyClick(box, Qt::Key_Space);
        QVERIFY(!ok->isEnabled());
        QTest::keyClick(boxes[2], Qt::Key_Space);
        QVERIFY(ok->isEnabled());
        // Auto by default: the number is the cap, and the fixed number keeps its own.
        QCOMPARE(dialog.preferences().newPerDayCap, 35);
        QCOMPARE(dialog.preferences().newPerDay, StudyPreferences::DefaultNewPerDay);
        QCOMPARE(number->accessibleName(), QStringLiteral("Most new words a day"));
        QCOMPARE(dialog.preferences().lengths, QList<int>{4});
        // Off: the box shows the fixed number, which the player sets; the cap stays.
        QTest::keyClick(automatic, Qt::Key_Space);
        QCOMPARE(number->value(), StudyPreferences::DefaultNewPerDay);
        QCOMPARE(number->accessibleName(), QStringLiteral("New words a day"));
        number->setValue(12);
        QCOMPARE(dialog.preferences().newPerDay, 12);
        QCOMPARE(dialog.preferences().newPerDayCap, 35);
        QVERIFY(!dialog.preferences().newPerDayAuto);
        QTest::keyClick(automatic, Qt::Key_Space);
        QCOMPARE(number->value(), 35);
        QCOMPARE(dialog.preferences().newPerDay, 12);
    }

    // Before any session, the count of new words and the pace line follow the answers of the
    // days before today once the history has read them behind the window: 50 a day give 7.
    void countBeforeASessionFollowsTheAnswers()
    {
        Fixture fx;
        const QStringList words = WordDatabase::sequentialWords(2, 40);
        const QDate today = MemoryPolicy::studyDay(fx.clock.nowUtc());
        for (int day = 1; day <= 3; ++day)
            for (int n = 0; n < 50; ++n)
                fx.history.record(
                    answerOn(words[n % 40],
                             MemoryPolicy::dayStart(today.addDays(-day)).addSecs(3600 + n * 30)));
        QVERIFY(fx.history.flush());
        StudyController room(fx.context, fx.history, fx.clock);
        int changed = 0;
        room.setDueChanged([&] { ++changed; });
        QVERIFY(room.dueNow());
        QCOMPARE(room.newToday().value_or(-1), 20);
        QTRY_COMPARE(changed, 1);
        QVERIFY(room.dueNow());
        QCOMPARE(room.newToday().value_or(-1), 7);
        QCOMPARE(room.paceLine(),
                 QStringLiteral("7 new words today, for your 50 answers a day (Auto)"));
    }

    // The first count, from the states tallied while the rest is still being read, already keeps
    // Auto's cap when it is below the fixed number.
    void firstCountKeepsTheCap()
    {
        TestEnvironment t;
        WordStore store(t.random);
        TrainerContext context(t.env, store);
        WordDatabase::openIn(store, t.path(QStringLiteral("dbWords.mdb")),
                             WordDatabase::sequentialWords(2, 40));
        ManualWallClock clock;
        // Enough states and answers that reading them takes longer than counting.
        QList<AnswerRecord> answers;
        for (const QString& word : WordDatabase::sequentialWords(4, 3000))
            answers.append(answerOn(word, clock.now.addDays(-30)));
        answers.append(answerOn(QStringLiteral("AA"), clock.now.addDays(-30)));
        fillHistory(t.path(QStringLiteral("history.sqlite")), answers);
        StudyPreferences prefs;
        prefs.newPerDayCap = 5;
        prefs.store();
        History history(t.messages, t.path(QStringLiteral("history.sqlite")));
        StudyController room(context, history, clock);
        history.preload(clock.nowUtc());
        const QDeadlineTimer deadline(10'000);
        while (!history.preloadTally() && !deadline.hasExpired())
            QThread::yieldCurrentThread();
        QVERIFY(history.preloadTally());
        if (!history.preloading())
            QSKIP("the states were read before the first count");
        QVERIFY(room.dueNow());
        QCOMPARE(room.newToday().value_or(-1), 5);
    }

    // The main window's line on the day's pace says which rule set it, and what Auto went by.
    void paceLine_data()
    {
        QTest::addColumn<bool>("automatic");
        QTest::addColumn<int>("cap");
        QTest::addColumn<double>("perDay"); // negative: no figure yet
        QTest::addColumn<QString>("line");
        QTest::newRow("fixed") << false << 50 << 50.0 << "20 new words a day, fixed in Settings";
        QTest::newRow("no answers yet")
            << true << 50 << -1.0
            << "20 new words a day (Auto, until it has a recent day of answers to go by)";
        QTest::newRow("fifty a day")
            << true << 50 << 49.6 << "7 new words today, for your 50 answers a day (Auto)";
        QTest::newRow("one word") << true << 50 << 4.0
                                  << "1 new word today, for your 4 answers a day (Auto)";
        QTest::newRow("capped") << true << 30 << 400.0
                                << "30 new words today, for your 400 answers a day (Auto)";
    }
    void paceLine()
    {
        QFETCH(bool, automatic);
        QFETCH(int, cap);
        QFETCH(double, perDay);
        QFETCH(QString, line);
        StudySettings settings;
        settings.autoPace = automatic;
        settings.newPerDayCap = cap;
        std::optional<PaceFigure> figure;
        if (perDay >= 0.0)
            figure = PaceFigure{perDay, QDate::currentDate()};
        QCOMPARE(StudyController::paceText(settings, figure), line);
    }

    // Auto and its cap, beside the fixed number: unreadable values give the defaults (Auto, 50)
    // and the file is made to say so.
    void autoPacePreferences_data()
    {
        QTest::addColumn<QString>("automatic");
        QTest::addColumn<QString>("cap");
        QTest::addColumn<bool>("expectedAuto");
        QTest::addColumn<int>("expectedCap");
        QTest::newRow("unset") << QString() << QString() << true << 50;
        QTest::newRow("off") << "false"
                             << "30" << false << 30;
        QTest::newRow("on, spaced") << " True "
                                    << " 0 " << true << 0;
        QTest::newRow("numbers") << "0"
                                 << "500" << false << 500;
        QTest::newRow("garbage") << "maybe"
                                 << "many" << true << 50;
        QTest::newRow("out of range") << "2"
                                      << "501" << true << 50;
    }
    void autoPacePreferences()
    {
        QFETCH(QString, automatic);
        QFETCH(QString, cap);
        QFETCH(bool, expectedAuto);
        QFETCH(int, expectedCap);
        QSettings settings(QSettings::UserScope, QStringLiteral("Quenmark"));
        settings.clear();
        settings.beginGroup(QStringLiteral("Lexitor Trainer Software"));
        if (!automatic.isNull()) {
            settings.setValue(QStringLiteral("StudyNewPerDayAuto"), automatic);
            settings.setValue(QStringLiteral("StudyNewPerDayCap"), cap);
        }
        settings.sync();
        StudyPreferences prefs = StudyPreferences::load();
        QCOMPARE(prefs.newPerDayAuto, expectedAuto);
        QCOMPARE(prefs.newPerDayCap, expectedCap);
        QCOMPARE(prefs.newPerDay, StudyPreferences::DefaultNewPerDay);
        settings.sync();
        if (!automatic.isNull()) {
            const bool readable = automatic.trimmed().toLower() != QStringLiteral("maybe") &&
                                  automatic != QStringLiteral("2");
            if (!readable)
                QCOMPARE(settings.value(QStringLiteral("StudyNewPerDayAuto")).toString(),
                         QStringLiteral("true"));
            QCOMPARE(
                settings.value(QStringLiteral("StudyNewPerDayCap")).toString().trimmed().toInt(),
                expectedCap);
        }
        prefs.store();
        QCOMPARE(StudyPreferences::load(), prefs);
    }

    // The settings sit beside the question count; unreadable values give the defaults, and the
    // file is made to say so, while readable ones stay as written.
    void studyPreferences_data()
    {
        QTest::addColumn<QString>("perDay");
        QTest::addColumn<QString>("lengths");
        QTest::addColumn<QString>("pause");
        QTest::addColumn<int>("expectedPerDay");
        QTest::addColumn<QList<int>>("expectedLengths");
        QTest::addColumn<int>("expectedPause");
        QTest::newRow("unset") << QString() << QString() << QString() << 20 << QList<int>{2, 3, 4}
                               << 1200;
        QTest::newRow("list") << "35"
                              << "LIST"
                              << "300" << 35 << QList<int>{3, 4} << 300;
        QTest::newRow("set") << "35"
                             << "4,2"
                             << "0" << 35 << QList<int>{2, 4} << 1200;
        QTest::newRow("repeated") << " 0 "
                                  << "3, 3"
                                  << " 300 " << 0 << QList<int>{3} << 300;
        // A pause too short to see the outcome in counts as unreadable.
        QTest::newRow("too short") << "35"
                                   << "2"
                                   << "299" << 35 << QList<int>{2} << 1200;
        QTest::newRow("garbage") << "many"
                                 << "2,x"
                                 << "fast" << 20 << QList<int>{2, 3, 4} << 1200;
        QTest::newRow("out of range") << "501"
                                      << "5"
                                      << "-1" << 20 << QList<int>{2, 3, 4} << 1200;
        QTest::newRow("empty") << ""
                               << ""
                               << "" << 20 << QList<int>{2, 3, 4} << 1200;
    }
    void studyPreferences()
    {
        QFETCH(QString, perDay);
        QFETCH(QString, lengths);
        QFETCH(QString, pause);
        QFETCH(int, expectedPerDay);
        QFETCH(QList<int>, expectedLengths);
        QFETCH(int, expectedPause);
        QSettings settings(QSettings::UserScope, QStringLiteral("Quenmark"));
        settings.clear();
        settings.beginGroup(QStringLiteral("Lexitor Trainer Software"));
        settings.setValue(QStringLiteral("Text1"), QStringLiteral("7"));
        if (!perDay.isNull()) {
            settings.setValue(QStringLiteral("StudyNewPerDay"), perDay);
            settings.setValue(QStringLiteral("StudyPauseMs"), pause);
            // "LIST": as a hand-written "StudyLengths=3,4" reads, a list of two values.
            if (lengths == QStringLiteral("LIST"))
                settings.setValue(QStringLiteral("StudyLengths"), QStringList{"3", "4"});
            else
                settings.setValue(QStringLiteral("StudyLengths"), lengths);
        }
        settings.sync();
        StudyPreferences prefs = StudyPreferences::load();
        QCOMPARE(prefs.newPerDay, expectedPerDay);
        QCOMPARE(prefs.lengths, expectedLengths);
        QCOMPARE(prefs.pauseMs, expectedPause);
        settings.sync();
        const auto raw = [&settings](const char* key) {
            return settings.value(QLatin1String(key)).toStringList().join(',').remove(' ');
        };
        if (!perDay.isNull()) {
            QCOMPARE(raw("StudyNewPerDay").toInt(), expectedPerDay);
            QCOMPARE(raw("StudyPauseMs").toInt(), expectedPause);
            if (expectedLengths.size() == 3)
                QCOMPARE(raw("StudyLengths"), QStringLiteral("2,3,4"));
        } else {
            QVERIFY(!settings.contains(QStringLiteral("StudyNewPerDay")));
        }
        if (perDay == QStringLiteral("35"))
            QCOMPARE(raw("StudyLengths"), lengths == QStringLiteral("LIST") ? "3,4" : lengths);
        prefs.store();
        QCOMPARE(StudyPreferences::load(), prefs);
        QCOMPARE(QuestionCountSetting().load(), QStringLiteral("7"));
    }

    // The order new words come in: shortest first unless the file says "mixed"; a value it
    // cannot read gives the default and is written over. The dialog shows it and gives it back.
    void studyOrder_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<StudyOrder>("expected");
        QTest::addColumn<QString>("written");
        QTest::newRow("unset") << QString() << StudyOrder::Shortest << QString();
        QTest::newRow("mixed") << "mixed" << StudyOrder::Mixed << "mixed";
        QTest::newRow("by hand") << " Mixed " << StudyOrder::Mixed << " Mixed ";
        QTest::newRow("shortest") << "shortest" << StudyOrder::Shortest << "shortest";
        QTest::newRow("unknown") << "longest" << StudyOrder::Shortest << "shortest";
    }
    void studyOrder()
    {
        QFETCH(QString, stored);
        QFETCH(StudyOrder, expected);
        QFETCH(QString, written);
        QSettings settings(QSettings::UserScope, QStringLiteral("Quenmark"));
        settings.clear();
        settings.beginGroup(QStringLiteral("Lexitor Trainer Software"));
        if (!stored.isNull())
            settings.setValue(QStringLiteral("StudyOrder"), stored);
        settings.sync();
        const StudyPreferences prefs = StudyPreferences::load();
        QCOMPARE(prefs.order, expected);
        settings.sync();
        QCOMPARE(settings.value(QStringLiteral("StudyOrder")).toString(), written);
        StudySettingsDialog dialog(prefs);
        auto* box = dialog.findChild<QComboBox*>();
        QCOMPARE(box->accessibleName(), QStringLiteral("Order of new words"));
        QCOMPARE(box->currentText(), expected == StudyOrder::Mixed ? "Mixed" : "Shortest first");
        box->setCurrentIndex(1 - box->currentIndex());
        StudyPreferences changed = dialog.preferences();
        QVERIFY(changed.order != expected);
        changed.storeShown();
        QCOMPARE(StudyPreferences::load().order, changed.order);
    }

    // OK in the settings dialog writes what it shows and nothing else.
    void settingsDialogWritesOnlyWhatItShows()
    {
        QSettings settings(QSettings::UserScope, QStringLiteral("Quenmark"));
        settings.clear();
        settings.beginGroup(QStringLiteral("Lexitor Trainer Software"));
        settings.setValue(QStringLiteral("StudyPauseMs"), QStringLiteral("300"));
        settings.sync();
        QTimer::singleShot(0, [] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            dialog->findChild<QSpinBox*>()->setValue(7);
            dialog->accept();
        });
        QVERIFY(StudySettingsDialog::edit(nullptr));
        settings.sync();
        QCOMPARE(settings.value(QStringLiteral("StudyPauseMs")).toString(), QStringLiteral("300"));
        // Auto by default: the box was the cap.
        QCOMPARE(settings.value(QStringLiteral("StudyNewPerDayCap")).toString(),
                 QStringLiteral("7"));
        QCOMPARE(settings.value(QStringLiteral("StudyNewPerDayAuto")).toString(),
                 QStringLiteral("true"));
        QCOMPARE(settings.value(QStringLiteral("StudyNewPerDay")).toString(), QStringLiteral("20"));
    }
};

QTEST_MAIN(TestStudyWindow)
#include "tst_studywindow.moc"
