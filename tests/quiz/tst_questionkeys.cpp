#include "QuestionWindowFixture.h"
#include "base/look/DesignUnits.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>

#include <sys/stat.h>

// The question window's keys, its close box, a modal window over it, its layout and pointer.
class TestQuestionKeys : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

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

QTEST_MAIN(TestQuestionKeys)
#include "tst_questionkeys.moc"
