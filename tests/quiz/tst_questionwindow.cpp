#include "TestDoubles.h"
#include "TestFiles.h"
#include "WordDatabase.h"
#include "base/ErrorReporting.h"
#include "base/look/DesignUnits.h"
#include "base/look/PushButton.h"
#include "quiz/QuestionForm.h"
#include "quiz/QuestionWindow.h"
#include "quiz/TrainerContext.h"
#include "words/WordStore.h"

#include <QApplication>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QStandardPaths>
#include <QTest>

#include <QTimer>
#include <sys/stat.h>

#include <algorithm>
#include <array>

namespace {

// Three words of each length, in the order the store's lists hold them (row 1, 2, 3).
QStringList validWords(int length)
{
    switch (length) {
    case 2:
        return {"AB", "AD", "AG"};
    case 3:
        return {"ACE", "ADD", "AGE"};
    default:
        return {"ABLE", "ACHE", "AGED"};
    }
}

// Three non-words of each length, none in the lists above, each with a vowel.
QStringList nonWords(int length)
{
    switch (length) {
    case 2:
        return {"QZ", "XJ", "VK"};
    case 3:
        return {"QOZ", "XUJ", "VEK"};
    default:
        return {"QOZZ", "XUJJ", "VEKK"};
    }
}

QStringList allValidWords()
{
    return validWords(2) + validWords(3) + validWords(4);
}

// A context over recording services and a word database in its own program folder, with the
// test-run state as the driver leaves it at the start of a run.
class Fixture
{
public:
    explicit Fixture(const QStringList& words = allValidWords())
        : store(t.random), context(t.env, store)
    {
        WordDatabase::openIn(store, t.path(QStringLiteral("dbWords.mdb")), words);
        context.state.statusText = TestRunState::WaitingForAnswer;
        context.state.statusColor = QStringLiteral("0");
        context.state.answerPending = true;
    }

    // Scripts one question: the answer position x, then the draws of the valid-word test (the
    // row of the valid word, then the letters of three non-words) or of the invalid-word test
    // (the non-word's letters, then the rows of three valid words).
    void scriptQuestion(const QuestionForm& form, int x, int validRow = 2,
                        const QStringList& others = {}, const QList<int>& rows = {1, 2, 3})
    {
        t.random.push(x, 0, 3);
        if (form.kind == TestKind::ValidWord) {
            t.random.push(validRow, 1, 3);
            for (const QString& w : others.isEmpty() ? nonWords(form.length) : others)
                t.random.pushLetters(w);
        } else {
            t.random.pushLetters(nonWords(form.length).first());
            for (int row : rows)
                t.random.push(row, 1, 3);
        }
    }

    TestEnvironment t;
    WordStore store;
    TrainerContext context;
};

// Keeps the answers the window hands on.
struct RecordingAnswers : AnswerRecorder
{
    void record(const AnswerRecord& answer) override { answers.append(answer); }
    QList<AnswerRecord> answers;
};

const QuestionForm& form(const QString& name)
{
    const auto& all = QuestionForms::all();
    return *std::find_if(all.begin(), all.end(),
                         [&](const QuestionForm& f) { return f.name == name; });
}

PushButton* button(const QuestionWindow& w, int k)
{
    return w.findChild<PushButton*>(QStringLiteral("PushButton%1").arg(k));
}

QStringList captions(const QuestionWindow& w)
{
    QStringList all;
    for (int k = 1; k <= 4; ++k)
        all.append(button(w, k)->text());
    return all;
}

QLabel* statusLine(const QuestionWindow& w)
{
    return w.findChild<QLabel*>(QStringLiteral("Label1"));
}

QString errorText(const QString& window, const QString& procedure, int line, const QString& what)
{
    return ErrorReporter::messageText(what, ErrorReporter::locationName(window, procedure), line);
}

const QString ClosedStore = QStringLiteral("Operation is not allowed when the object is closed.");

// For each answer position x: the button of the right answer, and the buttons that take the
// other three words, in call order.
constexpr std::array<int, 4> AnswerButton{1, 2, 3, 4};
constexpr std::array<std::array<int, 3>, 4> OtherButtons{
    {{2, 3, 4}, {1, 3, 4}, {2, 1, 4}, {2, 3, 1}}};

} // namespace

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

    // The focus starts in the hidden Text1: keys answer nothing until the player tabs to a
    // button.
    void keysAtOpeningAnswerNothing_data()
    {
        QTest::addColumn<int>("key");
        QTest::newRow("Return") << int(Qt::Key_Return);
        QTest::newRow("Enter") << int(Qt::Key_Enter);
        QTest::newRow("Space") << int(Qt::Key_Space);
        QTest::newRow("Escape") << int(Qt::Key_Escape);
    }
    void keysAtOpeningAnswerNothing()
    {
        QFETCH(int, key);
        Fixture fx;
        fx.scriptQuestion(form(QStringLiteral("Form6")), 0);
        QuestionWindow w(fx.context, form(QStringLiteral("Form6")));
        w.show();
        QApplication::setActiveWindow(&w);
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QLineEdit* text1 = w.findChild<QLineEdit*>(QStringLiteral("Text1"));
        QCOMPARE(QApplication::focusWidget(), text1);
        QVERIFY(text1->geometry().top() >= w.height());

        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));
        QVERIFY(w.isVisible());
        QCOMPARE(fx.context.state.answerPending, true);
        QVERIFY(fx.t.sounds.played.isEmpty());

        // Tab reaches PushButton1 first; Space on it answers.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), button(w, 1));
        QTest::keyClick(button(w, 1), Qt::Key_Space);
        QVERIFY(!w.isVisible());
        QCOMPARE(fx.context.state.answerPending, false);
        QCOMPARE(fx.context.state.correctWords, QStringList{nonWords(3)[0]});
    }

    // The keys 1 to 4 answer as a click on the button at that position, from the hidden Text1
    // (which keeps its text) or from a button; a held key's repeats and Ctrl+digit do nothing.
    void numberKeysAnswerByPosition_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("fromButton");
        QTest::addColumn<int>("answered"); // the button clicked, 0 for none
        for (const char* name : {"Form2", "Form6"}) {
            for (int k = 1; k <= 4; ++k)
                QTest::addRow("%s key %d", name, k)
                    << QString::fromLatin1(name) << 1 << int(Qt::Key_0 + k) << int(Qt::NoModifier)
                    << false << k;
        }
        QTest::newRow("keypad 3 on a button")
            << "Form7" << 2 << int(Qt::Key_3) << int(Qt::KeypadModifier) << true << 3;
        QTest::newRow("5") << "Form2" << 0 << int(Qt::Key_5) << int(Qt::NoModifier) << false << 0;
        QTest::newRow("Ctrl+1") << "Form2" << 0 << int(Qt::Key_1) << int(Qt::ControlModifier)
                                << false << 0;
    }
    void numberKeysAnswerByPosition()
    {
        QFETCH(QString, name);
        QFETCH(int, x);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(bool, fromButton);
        QFETCH(int, answered);
        Fixture fx;
        fx.scriptQuestion(form(name), x);
        QuestionWindow w(fx.context, form(name));
        w.show();
        QApplication::setActiveWindow(&w);
        QVERIFY(QTest::qWaitForWindowActive(&w));
        auto* text1 = w.findChild<QLineEdit*>(QStringLiteral("Text1"));
        if (fromButton)
            QTest::keyClick(text1, Qt::Key_Tab);
        const QString caption = answered ? button(w, answered)->text() : QString();

        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key),
                        Qt::KeyboardModifiers(modifiers));
        if (answered)
            QCOMPARE(text1->text(), QStringLiteral("Text1"));
        QCOMPARE(w.isVisible(), answered == 0);
        QCOMPARE(fx.context.state.answerPending, answered == 0);
        const QStringList none;
        QCOMPARE(fx.context.state.correctWords, answered == x + 1 ? QStringList{caption} : none);
        QCOMPARE(fx.context.state.wrongWords,
                 answered && answered != x + 1 ? QStringList{caption} : none);
        if (answered == 0) {
            QKeyEvent repeat(QEvent::KeyPress, Qt::Key_1, Qt::NoModifier, QStringLiteral("1"),
                             true);
            QApplication::sendEvent(text1, &repeat);
            QVERIFY(w.isVisible());
        }
    }

    void closeBoxRecordsNothing()
    {
        Fixture fx;
        TestRunState& state = fx.context.state;
        state.statusText = QStringLiteral("Correct with AD");
        state.statusColor = QStringLiteral("25600");
        state.correctCount = 3;
        state.correctWords = QStringList{"AB", "AD", "AG"};
        fx.scriptQuestion(form(QStringLiteral("Form8")), 2);
        QuestionWindow w(fx.context, form(QStringLiteral("Form8")));
        w.show();
        w.close();
        QCOMPARE(w.result(), int(QDialog::Rejected));
        QCOMPARE(state.answerPending, true);
        QCOMPARE(state.statusText, QStringLiteral("Correct with AD"));
        QCOMPARE(state.statusColor, QStringLiteral("25600"));
        QCOMPARE(state.correctCount, qint16(3));
        QCOMPARE(state.wrongCount, qint16(0));
        QCOMPARE(state.correctWords, (QStringList{"AB", "AD", "AG"}));
        QCOMPARE(state.wrongWords, QStringList{});
        // The unanswered question's word stays as the current answer.
        QCOMPARE(state.correctAnswer, nonWords(4)[0]);
        QVERIFY(fx.t.sounds.played.isEmpty());
    }

    void aModalShowingEndsWithTheAnswer()
    {
        Fixture fx;
        fx.scriptQuestion(form(QStringLiteral("Form3")), 3);
        QuestionWindow w(fx.context, form(QStringLiteral("Form3")));
        QTimer::singleShot(0, &w, [] {
            auto* open = qobject_cast<QuestionWindow*>(QApplication::activeModalWidget());
            if (open)
                QTest::mouseClick(button(*open, 4), Qt::LeftButton);
        });
        QCOMPARE(w.exec(), int(QDialog::Accepted));
        QCOMPARE(fx.context.state.correctCount, qint16(1));
    }

    void layout_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("height");
        QTest::newRow("Form2") << "Form2" << 3525;
        QTest::newRow("Form3") << "Form3" << 3540;
        QTest::newRow("Form7") << "Form7" << 3540;
        QTest::newRow("Form5") << "Form5" << 3525;
        QTest::newRow("Form6") << "Form6" << 3525;
        QTest::newRow("Form8") << "Form8" << 3525;
    }
    void layout()
    {
        QFETCH(QString, name);
        QFETCH(int, height);
        Fixture fx;
        QuestionWindow w(fx.context, form(name));
        QCOMPARE(w.size(), Twips::rect(0, 0, 8040, height).size());
        QCOMPARE(w.minimumSize(), w.maximumSize());
        QVERIFY(!(w.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        QVERIFY(w.findChild<QLineEdit*>(QStringLiteral("Text1"))->geometry().top() >= w.height());
        for (int k = 1; k <= 4; ++k) {
            QCOMPARE(button(w, k)->geometry(), Twips::rect(240, 300 + 510 * (k - 1), 7320, 405));
            QVERIFY(!button(w, k)->isDefault() && !button(w, k)->autoDefault());
        }
        QCOMPARE(statusLine(w)->accessibleName(), QStringLiteral("Last Question Status"));
    }

    void handPointer_data()
    {
        QTest::addColumn<QByteArray>("cursorFile"); // empty: no file
        QTest::addColumn<bool>("hand");
        QTest::addColumn<QStringList>("messages");
        QFile real(QFINDTESTDATA("../../data/HAND-M.CUR"));
        QVERIFY(real.open(QIODevice::ReadOnly));
        QTest::newRow("no cursor file") << QByteArray() << false << QStringList{};
        QTest::newRow("the hand cursor") << real.readAll() << true << QStringList{};
        QTest::newRow("a damaged cursor file")
            << QByteArray("not a cursor") << false
            << QStringList{errorText("Form2", "Form_Load", 106, QStringLiteral("Invalid picture"))};
        QTest::newRow("a FIFO is no cursor") << QByteArray("<fifo>") << false << QStringList{};
    }
    void handPointer()
    {
        QFETCH(QByteArray, cursorFile);
        QFETCH(bool, hand);
        QFETCH(QStringList, messages);
        Fixture fx;
        const QString path = fx.t.path(QStringLiteral("HAND-M.CUR"));
        if (cursorFile == "<fifo>") {
            QVERIFY(::mkfifo(QFile::encodeName(path), 0600) == 0);
        } else if (!cursorFile.isEmpty()) {
            writeFile(path, cursorFile);
        }
        // Every window looks for the cursor and reports a damaged one, though it is read once.
        QStringList expected;
        for (int window = 1; window <= 2; ++window) {
            QuestionWindow w(fx.context, form(QStringLiteral("Form2")));
            expected += messages;
            QCOMPARE(fx.t.messages.texts(), expected);
            QCOMPARE(button(w, 2)->cursor().shape(), hand ? Qt::BitmapCursor : Qt::ArrowCursor);
            QCOMPARE(w.cursor().shape(), Qt::ArrowCursor);
        }
    }
};

QTEST_MAIN(TestQuestionWindow)
#include "tst_questionwindow.moc"
