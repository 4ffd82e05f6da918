#include "MainWindowProgram.h"
#include "app/StudyFrame.h"
#include "base/look/PushButton.h"

#include <QAccessible>
#include <QLabel>
#include <QStandardPaths>

// The main window's study frame: its counts, the list in use, its buttons and its help.
class TestStudyFrame : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init() { clearStoredSettings(); }

    // The window is a frame on the accessibility bus; the counts and the list in use are asked
    // for only once the window shows, and again after a study session or a settings change.
    void studyFrame()
    {
        Program program;
        QAccessibleInterface* acc = QAccessible::queryAccessibleInterface(&program.window);
        QVERIFY(acc);
        QCOMPARE(acc->role(), QAccessible::Window);
        auto* study = program.child<PushButton>("StudyButton");
        auto* list = program.child<QLabel>("WordListLabel");
        program.window.load();
        QCOMPARE(program.actions.asked, 0);
        QCOMPARE(study->text(), QStringLiteral("Daily drill"));

        program.showActive();
        QTRY_COMPARE(study->text(), QStringLiteral("Daily drill (12 due)"));
        QCOMPARE(list->text(), QStringLiteral("Word list in use: Collins sample"));
        QCOMPARE(list->textFormat(), Qt::PlainText);
        QCOMPARE(program.actions.asked, 1);
        QTest::keyClick(study, Qt::Key_Space);
        QCOMPARE(program.actions.studied, 1);
        QCOMPARE(study->text(), QStringLiteral("Daily drill (3 due, 0 new)"));
        program.actions.due.reset(); // no readable history
        program.actions.list = QStringLiteral("<b>Bold</b>");
        QTest::keyClick(program.child<PushButton>("StudySettingsButton"), Qt::Key_Space);
        QCOMPARE(program.actions.settingsEdited, 1);
        QCOMPARE(study->text(), QStringLiteral("Daily drill"));
        QCOMPARE(list->text(), QStringLiteral("Word list in use: <b>Bold</b>"));
        QTest::keyClick(program.child<PushButton>("ProgressButton"), Qt::Key_Space);
        QCOMPARE(program.actions.progressShown, 1);
        // Look up, by its button and by Ctrl+L, changes no count: nothing is asked again.
        const int asked = program.actions.asked;
        QTest::keyClick(program.child<PushButton>("LookUpButton"), Qt::Key_Space);
        QTest::keyClick(&program.window, Qt::Key_L, Qt::ControlModifier);
        QCOMPARE(program.actions.lookedUp, 2);
        QCOMPARE(program.actions.asked, asked);
    }

    // A list's name as long as a name may be, of wide letters, is cut short to fit its line; the
    // whole of it is still read out and shown as a tool tip.
    void longListNameFits()
    {
        Program program;
        program.actions.list = QString(60, QLatin1Char('W'));
        program.window.load();
        program.showActive();
        auto* list = program.child<QLabel>("WordListLabel");
        const QString caption = StudyFrame::listCaption(program.actions.list);
        QTRY_COMPARE(list->accessibleName(), caption);
        QCOMPARE(list->toolTip(), caption);
        QVERIFY(list->text().startsWith(QStringLiteral("Word list in use: WWW")));
        QVERIFY(list->text().endsWith(QChar(0x2026)));
        QVERIFY(list->fontMetrics().horizontalAdvance(list->text()) <= list->width());
    }

    // Both counts whenever they are known, each in the locale's format, and the widest of them
    // still fits the button; -1 for a count the study does not know.
    void studyCaption_data()
    {
        QTest::addColumn<int>("due");
        QTest::addColumn<int>("fresh");
        QTest::addColumn<QString>("caption");
        QTest::newRow("both") << 123 << 20 << "Daily drill (123 due, 20 new)";
        QTest::newRow("new player") << 0 << 20 << "Daily drill (0 due, 20 new)";
        QTest::newRow("widest") << 32767 << 32767 << "Daily drill (32,767 due, 32,767 new)";
        QTest::newRow("new unknown") << 0 << -1 << "Daily drill (0 due)";
        QTest::newRow("no history") << -1 << 20 << "Daily drill";
    }
    void studyCaption()
    {
        QFETCH(int, due);
        QFETCH(int, fresh);
        QFETCH(QString, caption);
        const auto known = [](int n) { return n < 0 ? std::nullopt : std::optional(n); };
        QCOMPARE(StudyFrame::studyCaption(known(due), known(fresh)), caption);
        Program program;
        const auto* button = program.child<PushButton>("StudyButton");
        QVERIFY(button->fontMetrics().horizontalAdvance(caption) < button->width());
    }

    // F1 and the frame's button open the study's own help page; the written Help keeps its text.
    void studyHelp()
    {
        Program program;
        program.window.load();
        program.showActive();
        QTest::keyClick(&program.window, Qt::Key_F1);
        QTest::keyClick(program.child<PushButton>("StudyHelpButton"), Qt::Key_Space);
        QTest::keyClick(program.child<PushButton>("PushButton3"), Qt::Key_Space);
        const auto& shown = program.test.messages.shown;
        QCOMPARE(shown.size(), 3);
        QCOMPARE(shown[0].title, StudyFrame::HelpTitle);
        QCOMPARE(shown[1].text, StudyFrame::HelpText);
        QCOMPARE(shown[2].text, MainWindow::HelpText);
        for (const char* topic : {"1 to 4", "Ctrl+Z", "Escape", "Word lists"})
            QVERIFY2(shown[0].text.contains(QLatin1String(topic)), topic);
    }
};

QTEST_MAIN(TestStudyFrame)
#include "tst_studyframe.moc"
