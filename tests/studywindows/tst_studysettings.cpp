// The study settings: the dialog, the preferences it stores, and what the day's pace of new words
// makes of them in the main window's count and line.
#include "HistoryFill.h"
#include "StudyFixture.h"
#include "TestDoubles.h"
#include "WordDatabase.h"
#include "base/Settings.h"
#include "quiz/TrainerContext.h"
#include "study/History.h"
#include "studywindows/StudyController.h"
#include "studywindows/StudySettingsDialog.h"
#include "words/WordStore.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTest>
#include <QThread>

namespace {

// The program's group in the test settings file, which init() leaves empty.
struct ProgramSettings : QSettings
{
    ProgramSettings() : QSettings(QSettings::UserScope, QStringLiteral("Quenmark"))
    {
        beginGroup(QStringLiteral("Lexitor Trainer Software"));
    }
};

} // namespace

class TestStudySettings : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    // Each test starts from the default settings, whatever the last run left in the test file.
    void init() { QSettings(QSettings::UserScope, QStringLiteral("Quenmark")).clear(); }

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
        QCOMPARE(room.newToday().value_or(-1), 10);
        QCOMPARE(room.paceLine(),
                 QStringLiteral("10 new words today, for your 50 answers a day (Auto)"));
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
            << true << 50 << 49.6 << "10 new words today, for your 50 answers a day (Auto)";
        QTest::newRow("one word") << true << 50 << 2.0
                                  << "1 new word today, for your 2 answers a day (Auto)";
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
        ProgramSettings settings;
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
        ProgramSettings settings;
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
        ProgramSettings settings;
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
        ProgramSettings settings;
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

QTEST_MAIN(TestStudySettings)
#include "tst_studysettings.moc"
