#include "base/ErrorReporting.h"
#include "base/look/QtMessageBoxes.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

class MessageBoxesTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void displayedAsFourLines()
    {
        const QString text = ErrorReporter::messageText(QStringLiteral("Type mismatch"),
                                                        QStringLiteral("in X.Form2.Form_Load "), 7);
        const QStringList lines = QtMessageBoxes::displayText(text).split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 4);
        QCOMPARE(lines[0], QStringLiteral("Type mismatch"));
        QCOMPARE(lines[1], QStringLiteral("in X.Form2.Form_Load at line 7"));
        QVERIFY(lines[2].isEmpty());
        QVERIFY(lines[3].startsWith(QStringLiteral("Please email screenshot")));
    }

    // What the real box looks like while it is up: title, icon, buttons and the lines of its text.
    void showsTheLinesAsTheProgramBreaksThem()
    {
        const QString text = ErrorReporter::messageText(
            QStringLiteral("file is not a database"),
            ErrorReporter::locationName(QStringLiteral("Form1"), QStringLiteral("Form_Load")), 140);
        QString title;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        int buttons = 0;
        bool wraps = true;
        int lines = 0;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            title = box->windowTitle();
            icon = box->icon();
            buttons = int(box->buttons().size());
            if (auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))) {
                wraps = label->wordWrap();
                lines = label->height() / label->fontMetrics().lineSpacing();
            }
            box->accept();
        });
        QtMessageBoxes().show(text, QStringLiteral("Application Error"), MessageIcon::Warning);
        QCOMPARE(title, QStringLiteral("Application Error"));
        QCOMPARE(icon, QMessageBox::Warning);
        QCOMPARE(buttons, 1);
        QVERIFY(!wraps);
        QCOMPARE(lines, 4);
    }

    // A question is plain text too (it may name a word list), over the window that asked it;
    // the button pressed is the answer.
    void questionsAreTextOverTheAskingWindow_data()
    {
        QTest::addColumn<bool>("yes");
        QTest::newRow("yes") << true;
        QTest::newRow("no") << false;
    }
    void questionsAreTextOverTheAskingWindow()
    {
        QFETCH(bool, yes);
        QWidget asking;
        asking.show();
        QApplication::setActiveWindow(&asking);
        QVERIFY(QTest::qWaitForWindowActive(&asking));
        const QString text = QStringLiteral("Remove the word list \"<b>x</b>\"?\r\rSure?");
        Qt::TextFormat format = Qt::AutoText;
        QString shown;
        const QWidget* parent = nullptr;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            format = box->textFormat();
            shown = box->text();
            parent = box->parentWidget();
            box->button(yes ? QMessageBox::Yes : QMessageBox::No)->click();
        });
        QCOMPARE(QtMessageBoxes().ask(text, QStringLiteral("Lexitor Trainer")), yes);
        QCOMPARE(format, Qt::PlainText);
        QCOMPARE(shown, QStringLiteral("Remove the word list \"<b>x</b>\"?\n\nSure?"));
        QCOMPARE(parent, &asking);
    }
};

QTEST_MAIN(MessageBoxesTest)
#include "tst_messageboxes.moc"
