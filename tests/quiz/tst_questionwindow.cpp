#include "QuestionWindowFixture.h"

#include <QGroupBox>
#include <QStandardPaths>
#include <QTest>

class TestQuestionWindow : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void buildsTheQuestion_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("x");
        for (const QuestionForm& f : QuestionForms::all())
            for (int x = 0; x < 4; ++x)
                QTest::addRow("%s x=%d", qPrintable(f.name), x) << f.name << x;
    }
    void buildsTheQuestion()
    {
        QFETCH(QString, name);
        QFETCH(int, x);
        const QuestionForm& f = form(name);
        Fixture fx;
        fx.scriptQuestion(f, x);
        QuestionWindow w(fx.context, f);

        const bool valid = f.kind == TestKind::ValidWord;
        const QString answer = valid ? validWords(f.length)[1] : nonWords(f.length)[0];
        const QStringList others = valid ? nonWords(f.length) : validWords(f.length);
        QStringList expected(4);
        expected[AnswerButton[x] - 1] = answer;
        for (int i = 0; i < 3; ++i)
            expected[OtherButtons[x][i] - 1] = others[i];

        QCOMPARE(captions(w), expected);
        QCOMPARE(w.correctIndex(), qint16(x));
        QCOMPARE(fx.context.state.correctAnswer, answer);
        QVERIFY(fx.t.random.script.empty());
        QCOMPARE(fx.t.messages.texts(), QStringList{});

        QCOMPARE(w.objectName(), name);
        QCOMPARE(w.windowTitle(), QStringLiteral("Lexitor Trainer Software"));
        QCOMPARE(w.findChild<QGroupBox*>(QStringLiteral("Frame1"))->title(), f.question);
        // The first question of a run: the driver's status in black on white.
        QLabel* status = statusLine(w);
        QCOMPARE(status->text(), TestRunState::WaitingForAnswer);
        QCOMPARE(status->palette().color(QPalette::WindowText), QColor(Qt::black));
        QCOMPARE(status->palette().color(QPalette::Window), QColor(Qt::white));
    }

    void scoresTheAnswer_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("clicked");
        QTest::newRow("valid word chosen") << "Form2" << 1 << 2;
        QTest::newRow("non-word chosen in a valid-word test") << "Form2" << 1 << 4;
        QTest::newRow("four letters, non-word chosen") << "Form7" << 0 << 3;
        QTest::newRow("non-word chosen in an invalid-word test") << "Form5" << 3 << 4;
        QTest::newRow("valid word chosen in an invalid-word test") << "Form5" << 3 << 1;
        QTest::newRow("three letters, right on the third button") << "Form6" << 2 << 3;
    }
    void scoresTheAnswer()
    {
        QFETCH(QString, name);
        QFETCH(int, x);
        QFETCH(int, clicked);
        const QuestionForm& f = form(name);
        const bool right = clicked == x + 1;
        Fixture fx;
        TestRunState& state = fx.context.state;
        fx.scriptQuestion(f, x);
        // Recording the answer changes nothing of what follows.
        RecordingAnswers recorder;
        ManualWallClock clock;
        fx.context.recorder = &recorder;
        fx.context.clock = &clock;
        QStringList shown;

        QString caption;
        QString answer;
        {
            QuestionWindow w(fx.context, f);
            w.show();
            caption = button(w, clicked)->text();
            answer = state.correctAnswer;
            shown = captions(w);
            clock.advanceSecs(3);
            QTest::mouseClick(button(w, clicked), Qt::LeftButton);
            QCOMPARE(w.result(), int(QDialog::Accepted));
            QVERIFY(!w.isVisible());
        }
        QCOMPARE(recorder.answers.size(), 1);
        const AnswerRecord& recorded = recorder.answers[0];
        QCOMPARE(recorded.testKind, name);
        QCOMPARE(recorded.validKind, f.kind == TestKind::ValidWord);
        QCOMPARE(recorded.length, f.length);
        QCOMPARE(recorded.candidates, shown);
        QCOMPARE(recorded.rightIndex, x);
        QCOMPARE(recorded.chosenIndex, clicked - 1);
        QCOMPARE(recorded.at, clock.now);
        QCOMPARE(recorded.responseMs, 3000);

        QCOMPARE(state.answerPending, false);
        QCOMPARE(state.correctCount, qint16(right ? 1 : 0));
        QCOMPARE(state.wrongCount, qint16(right ? 0 : 1));
        QCOMPARE(state.correctWords, right ? QStringList{caption} : QStringList{});
        QCOMPARE(state.wrongWords, right ? QStringList{} : QStringList{caption});
        QCOMPARE(state.statusText, right ? QStringLiteral("Correct with ") + caption
                                         : QStringLiteral("Wrong. Correct answer was ") + answer);
        QCOMPARE(state.statusColor, right ? QStringLiteral("25600") : QStringLiteral("255"));
        QCOMPARE(fx.t.sounds.played.size(), 1);
        QCOMPARE(fx.t.sounds.played[0].path, fx.t.path(right ? QStringLiteral("sounds/correct.wav")
                                                             : QStringLiteral("sounds/wrong.wav")));
        QCOMPARE(fx.t.sounds.played[0].wait, false);
        QCOMPARE(fx.t.messages.texts(), QStringList{});

        // The next question shows the outcome on its status line.
        state.answerPending = true;
        QuestionWindow next(fx.context, f);
        QLabel* status = statusLine(next);
        QCOMPARE(status->text(), state.statusText);
        QCOMPARE(status->palette().color(QPalette::WindowText),
                 right ? QColor(0, 100, 0) : QColor(255, 0, 0));
        QCOMPARE(status->palette().color(QPalette::Window), QColor(Qt::white));
    }

    // A store that cannot be read: each failing call is reported on its own line and the load
    // goes on. The answer keeps the previous question's word; the other buttons stay blank.
    void reportsStoreFailures_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("valid-word test") << "Form2";
        QTest::newRow("valid-word test, four letters") << "Form7";
        QTest::newRow("invalid-word test") << "Form5";
        QTest::newRow("invalid-word test, three letters") << "Form6";
    }
    void reportsStoreFailures()
    {
        QFETCH(QString, name);
        Fixture fx;
        fx.context.state.correctAnswer = QStringLiteral("PREV");
        fx.store.close();
        fx.t.random.push(1, 0, 3);
        fx.t.random.pushLetters(QStringLiteral("BCDF"));

        QuestionWindow w(fx.context, form(name));
        QCOMPARE(captions(w), (QStringList{"", "PREV", "", ""}));
        QCOMPARE(fx.context.state.correctAnswer, QStringLiteral("PREV"));
        QStringList expected;
        for (int line : {120, 136, 138, 140})
            expected.append(errorText(name, QStringLiteral("Form_Load"), line, ClosedStore));
        QCOMPARE(fx.t.messages.texts(), expected);
        // The status line is still set.
        QCOMPARE(statusLine(w)->text(), TestRunState::WaitingForAnswer);
    }

    void overflowingCountIsReportedAndTheAnswerCompletes_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("clicked");
        QTest::addColumn<bool>("right");
        QTest::newRow("right answer at 32767") << "Form2" << 1 << true;
        QTest::newRow("wrong answer at 32767") << "Form8" << 3 << false;
    }
    void overflowingCountIsReportedAndTheAnswerCompletes()
    {
        QFETCH(QString, name);
        QFETCH(int, clicked);
        QFETCH(bool, right);
        Fixture fx;
        TestRunState& state = fx.context.state;
        state.correctCount = 32767;
        state.wrongCount = 32767;
        fx.scriptQuestion(form(name), 0);
        QuestionWindow w(fx.context, form(name));
        w.show();
        const QString caption = button(w, clicked)->text();
        QTest::mouseClick(button(w, clicked), Qt::LeftButton);

        QCOMPARE(fx.t.messages.texts(),
                 QStringList{errorText(name, QStringLiteral("PushButton%1_Click").arg(clicked),
                                       right ? 104 : 114, QStringLiteral("Overflow"))});
        QCOMPARE(state.correctCount, qint16(32767));
        QCOMPARE(state.wrongCount, qint16(32767));
        QCOMPARE(right ? state.correctWords : state.wrongWords, QStringList{caption});
        QCOMPARE(state.statusColor, right ? QStringLiteral("25600") : QStringLiteral("255"));
        QCOMPARE(fx.t.sounds.played.size(), 1);
        QCOMPARE(state.answerPending, false);
        QCOMPARE(w.result(), int(QDialog::Accepted));
    }

    // Words are not checked against each other: equal captions are scored by position alone.
    void equalCaptionsAreScoredByPosition_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("three equal non-words") << "Form2";
        QTest::newRow("three equal valid words") << "Form5";
    }
    void equalCaptionsAreScoredByPosition()
    {
        QFETCH(QString, name);
        const QuestionForm& f = form(name);
        Fixture fx;
        fx.scriptQuestion(f, 0, 2, {"QZ", "QZ", "QZ"}, {2, 2, 2});
        QuestionWindow w(fx.context, f);
        const QString same =
            f.kind == TestKind::ValidWord ? QStringLiteral("QZ") : QStringLiteral("AD");
        QCOMPARE(captions(w).mid(1), (QStringList{same, same, same}));
        w.show();
        QTest::mouseClick(button(w, 3), Qt::LeftButton);
        QCOMPARE(fx.context.state.wrongWords, QStringList{same});
        QCOMPARE(fx.context.state.wrongCount, qint16(1));
    }

    // An empty list gives an empty valid word: its blank button still counts as the answer.
    void emptyListGivesABlankAnswer()
    {
        Fixture fx(validWords(3));
        fx.t.random.push(2, 0, 3);
        QuestionWindow w(fx.context, form(QStringLiteral("Form2")));
        QCOMPARE(button(w, 3)->text(), QString());
        QCOMPARE(fx.t.messages.texts(), QStringList{});
        w.show();
        QTest::mouseClick(button(w, 3), Qt::LeftButton);
        QCOMPARE(fx.context.state.statusText, QStringLiteral("Correct with "));
        QCOMPARE(fx.context.state.correctWords, QStringList{QString()});
    }

    // Over many questions on a crowded list, no non-word is a stored word or equals the valid
    // word beside it.
    void nonWordsNeverMatchTheValidWord()
    {
        const QStringList twoLetters = WordDatabase::sequentialWords(2, 500);
        Fixture fx(twoLetters);
        for (int i = 0; i < 40; ++i) {
            QuestionWindow w(fx.context, form(QStringLiteral("Form2")));
            const QStringList all = captions(w);
            const QString valid = all[w.correctIndex()];
            QVERIFY(twoLetters.contains(valid));
            for (int k = 0; k < 4; ++k) {
                if (k != w.correctIndex())
                    QVERIFY2(!twoLetters.contains(all[k]), qPrintable(all[k]));
            }
        }
        QCOMPARE(fx.t.messages.texts(), QStringList{});
    }
};

QTEST_MAIN(TestQuestionWindow)
#include "tst_questionwindow.moc"
