#include "MainWindowProgram.h"
#include "WordDatabase.h"
#include "base/Settings.h"
#include "base/look/PushButton.h"
#include "words/WordListCatalog.h"

#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QRandomGenerator>
#include <QSettings>
#include <QStandardPaths>

#include <sys/stat.h>

namespace {

QVariant storedCount()
{
    QSettings settings(QSettings::UserScope, QStringLiteral("Quenmark"));
    settings.beginGroup(QStringLiteral("Lexitor Trainer Software"));
    return settings.value(QStringLiteral("Text1"));
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init() { clearStoredSettings(); }

    void missingDatabaseEndsStartUp_data()
    {
        QTest::addColumn<QString>("instead");
        QTest::newRow("no file") << QString();
        QTest::newRow("a folder of that name") << "folder";
        QTest::newRow("a FIFO of that name") << "fifo";
    }
    void missingDatabaseEndsStartUp()
    {
        QFETCH(QString, instead);
        Program program(false);
        const QString database = program.test.path("dbWords.mdb");
        if (instead == QStringLiteral("folder"))
            QVERIFY(QDir(program.test.folder.path()).mkdir(QStringLiteral("dbWords.mdb")));
        if (instead == QStringLiteral("fifo"))
            QVERIFY(::mkfifo(QFile::encodeName(database), 0600) == 0);

        QCOMPARE(program.window.load(), MainWindow::StartUp::Quit);

        QCOMPARE(program.test.messages.shown.size(), 1);
        const auto& message = program.test.messages.shown.first();
        QCOMPARE(message.text, program.test.folder.path() + QDir::separator() +
                                   QStringLiteral("dbWords.mdb not found"));
        QCOMPARE(message.title, QStringLiteral("Lexitor Trainer Software"));
        QCOMPARE(message.icon, MessageIcon::None);
        QVERIFY(program.connection.calls.isEmpty());
        QCOMPARE(program.test.random.draws, 0);
        QVERIFY(!program.window.isVisible());
        QVERIFY(QSettings(QSettings::UserScope, QStringLiteral("Quenmark")).allKeys().isEmpty());
    }

    void startUpOpensTheDatabase()
    {
        Program program;
        QCOMPARE(program.window.load(), MainWindow::StartUp::Show);

        QVERIFY(program.test.messages.shown.isEmpty());
        QCOMPARE(program.window.windowTitle(), QStringLiteral("Lexitor Trainer Software"));
        QVERIFY(!program.window.windowIcon().isNull());
        QCOMPARE(program.test.env.appTitle, QStringLiteral("Lexitor Trainer"));
        QCOMPARE(program.window.countBox()->text(), QStringLiteral("20"));
        QCOMPARE(program.connection.calls,
                 QStringList({QStringLiteral("create"),
                              QStringLiteral("open ") + program.test.path("dbWords.mdb")}));
        QVERIFY(program.connection.opened);
    }

    void connectionFailuresAreReportedAndTheWindowShows_data()
    {
        QTest::addColumn<bool>("canCreate");
        QTest::addColumn<QList<int>>("lines");
        QTest::newRow("no connection object") << false << QList<int>{136, 138, 138, 140};
        QTest::newRow("opening fails") << true << QList<int>{140};
    }
    void connectionFailuresAreReportedAndTheWindowShows()
    {
        QFETCH(bool, canCreate);
        QFETCH(QList<int>, lines);
        Program program;
        program.connection.canCreate = canCreate;
        program.connection.canOpen = false;

        QCOMPARE(program.window.load(), MainWindow::StartUp::Show);
        QCOMPARE(reportedLines(program.test.messages), lines);
        for (const auto& m : program.test.messages.shown) {
            QVERIFY(m.text.contains(QStringLiteral("Form1.Form_Load ")));
            QCOMPARE(m.title, QStringLiteral("Application Error"));
        }
    }

    // The chosen list is opened instead of the bundled one; when it is gone or damaged the
    // player is told once and the bundled list takes over, for good.
    void chosenWordList_data()
    {
        QTest::addColumn<QString>("file"); // "missing", "noise", "endless" or "list"
        QTest::addColumn<QString>("opened");
        QTest::newRow("missing") << "missing"
                                 << "";
        QTest::newRow("damaged") << "noise"
                                 << "";
        // Opens as a database, then no view gives a word within the time limit.
        QTest::newRow("a view that never ends") << "endless"
                                                << "";
        QTest::newRow("readable") << "list"
                                  << "tst-mainwindow-list";
    }
    void chosenWordList()
    {
        QFETCH(QString, file);
        QFETCH(QString, opened);
        Program program(true, true);
        WordDatabase::write(program.test.path("dbWords.mdb"), {"AA", "CAT", "ZOOM"});
        const QString name = QStringLiteral("tst-mainwindow-list");
        const QString path = WordListCatalog().pathOf(name);
        QFile::remove(path);
        if (file != QLatin1String("missing"))
            writeFile(path, QByteArray(4096, 'x'));
        if (file == QLatin1String("list") || file == QLatin1String("endless")) {
            writeFile(path);
            WordDatabase::write(path, {"QI", "ZAX", "QUIZ"});
        }
        if (file == QLatin1String("endless"))
            WordDatabase::replaceView(path, 2,
                                      QStringLiteral("WITH RECURSIVE c(fldword) AS (SELECT 'QI' "
                                                     "UNION ALL SELECT fldword FROM c) "
                                                     "SELECT fldword FROM c"));
        WordListSetting().store(name);

        QCOMPARE(program.window.load(), MainWindow::StartUp::Show);
        QCOMPARE(program.actions.openedList, opened);
        QCOMPARE(WordListSetting().load(), opened);
        QCOMPARE(program.store.words(2), QStringList{opened.isEmpty() ? "AA" : "QI"});
        QCOMPARE(program.test.messages.shown.size(), opened.isEmpty() ? 1 : 0);
        if (opened.isEmpty())
            QVERIFY(program.test.messages.shown[0].text.startsWith(
                "Your word list \"tst-mainwindow-list\" can't be read"));
        QFile::remove(path);
    }

    void damagedDatabaseIsReportedOnLine140()
    {
        Program program(false, true);
        QByteArray noise(4096, '\0');
        QRandomGenerator generator(7);
        for (char& c : noise)
            c = char(generator.bounded(256));
        writeFile(program.test.path("dbWords.mdb"), noise);

        QCOMPARE(program.window.load(), MainWindow::StartUp::Show);
        QCOMPARE(reportedLines(program.test.messages), QList<int>{140});
    }

    void handCursor_data()
    {
        QTest::addColumn<QString>("cursorFile"); // copied in as HAND-M.CUR; empty: none
        QTest::addColumn<bool>("hand");
        QTest::addColumn<QList<int>>("lines");
        QTest::newRow("present") << QStringLiteral(LEXITOR_HAND_CURSOR) << true << QList<int>{};
        QTest::newRow("absent") << QString() << false << QList<int>{};
        QTest::newRow("unreadable") << QStringLiteral("garbage") << false << QList<int>{114};
        QTest::newRow("a FIFO is no cursor") << QStringLiteral("fifo") << false << QList<int>{};
    }
    void handCursor()
    {
        QFETCH(QString, cursorFile);
        QFETCH(bool, hand);
        QFETCH(QList<int>, lines);
        Program program;
        const QString target = program.test.path("HAND-M.CUR");
        if (cursorFile == QStringLiteral("garbage"))
            writeFile(target, QByteArray("not a cursor"));
        else if (cursorFile == QStringLiteral("fifo"))
            QVERIFY(::mkfifo(QFile::encodeName(target), 0600) == 0);
        else if (!cursorFile.isEmpty())
            QVERIFY(QFile::copy(cursorFile, target));

        QCOMPARE(program.window.load(), MainWindow::StartUp::Show);
        QCOMPARE(reportedLines(program.test.messages), lines);
        QCOMPARE(program.window.handCursor().has_value(), hand);
        const auto buttons = program.window.findChildren<PushButton*>();
        QCOMPARE(buttons.size(), 13); // six tests and help, six for study
        for (const PushButton* button : buttons) {
            QCOMPARE(button->testAttribute(Qt::WA_SetCursor), hand);
            if (hand)
                QCOMPARE(button->cursor().shape(), Qt::BitmapCursor);
        }
        QCOMPARE(program.window.cursor().shape(), Qt::ArrowCursor);
        for (const QGroupBox* frame : program.window.findChildren<QGroupBox*>())
            QCOMPARE(frame->cursor().shape(), Qt::ArrowCursor);
        QVERIFY(program.connection.opened); // start-up went on to the end
    }

    void skinSwitchesToDesktopColours_data()
    {
        QTest::addColumn<bool>("skin");
        QTest::newRow("skin file present") << true;
        QTest::newRow("no skin file") << false;
    }
    void skinSwitchesToDesktopColours()
    {
        QFETCH(bool, skin);
        Program program;
        if (skin)
            writeFile(program.test.path("x/o.cjs"));
        program.window.load();

        const QColor expected =
            skin ? QApplication::palette().color(QPalette::Active, QPalette::Button) : Qt::white;
        QCOMPARE(program.window.palette().color(QPalette::Window), expected);
        for (const char* name : {"Frame1", "Frame2", "Frame3"})
            QCOMPARE(program.child<QGroupBox>(name)->palette().color(QPalette::Window), expected);
        QVERIFY(program.test.messages.shown.isEmpty());
    }

    void homePageOpensOnlyOnSeven_data()
    {
        QTest::addColumn<float>("fraction");
        QTest::addColumn<bool>("opens");
        QTest::newRow("k = 1") << 0.0f << false;
        QTest::newRow("k = 6") << 0.055f << false;
        QTest::newRow("k = 7 (lowest)") << 0.06f << true;
        QTest::newRow("k = 7") << 0.065f << true;
        QTest::newRow("k = 8") << 0.075f << false;
        QTest::newRow("k = 100") << 0.9999f << false;
    }
    void homePageOpensOnlyOnSeven()
    {
        QFETCH(float, fraction);
        QFETCH(bool, opens);
        Program program;
        program.test.random.pushFraction(fraction);

        QCOMPARE(program.window.load(), MainWindow::StartUp::Show);
        QCOMPARE(program.test.random.draws, 1);
        QCOMPARE(program.test.urls.opened.size(), opens ? 1 : 0);
        if (opens)
            QCOMPARE(program.test.urls.opened.first(), QUrl(Branding::HomePage));
        QVERIFY(program.test.messages.shown.isEmpty());
    }

    void homePageFailureIsReportedOnLine116()
    {
        Program program;
        program.test.urls.succeed = false;
        program.test.random.pushFraction(0.065f);

        QCOMPARE(program.window.load(), MainWindow::StartUp::Show);
        QCOMPARE(reportedLines(program.test.messages), QList<int>{116});
        QVERIFY(program.connection.opened); // the start-up carried on
    }

    void helpMessage()
    {
        Program program;
        program.window.load();
        program.child<PushButton>("PushButton3")->click();

        QCOMPARE(program.test.messages.shown.size(), 1);
        const auto& message = program.test.messages.shown.first();
        QCOMPARE(message.text,
                 QStringLiteral("This software will help you memorize some of those short Lexitor "
                                "words that are necessary to win.") +
                     QChar(13) + QChar(13) +
                     QStringLiteral("Note: You can use tab and space to select an answer instead "
                                    "of the mouse. It might be a little easier/quicker."));
        QCOMPARE(message.title, QStringLiteral("Lexitor Trainer"));
        QCOMPARE(message.icon, MessageIcon::None);
    }

    void opensWithTheCountSelectedAndTabsInOrder()
    {
        Program program;
        QSettings(QSettings::UserScope, QStringLiteral("Quenmark"))
            .setValue(QStringLiteral("Lexitor Trainer Software/Text1"), QStringLiteral("35"));
        program.window.load();
        program.showActive();

        QLineEdit* box = program.window.countBox();
        QCOMPARE(QApplication::focusWidget(), box);
        QCOMPARE(box->text(), QStringLiteral("35"));
        QCOMPARE(box->selectedText(), QStringLiteral("35"));

        QStringList visited;
        for (int i = 0; i < 14; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(visited,
                 QStringList({"PushButton3", "StudyButton", "LookUpButton", "ProgressButton",
                              "StudySettingsButton", "WordListsButton", "StudyHelpButton",
                              "PushButton4", "PushButton5", "PushButton7", "PushButton1",
                              "PushButton2", "PushButton6", "Text1"}));
        QCOMPARE(box->selectedText(), QStringLiteral("35")); // entered by Tab
    }

    void clickingIntoTheBoxSelectsAll()
    {
        Program program;
        program.window.load();
        program.showActive();
        QLineEdit* box = program.window.countBox();
        program.child<PushButton>("PushButton3")->setFocus(Qt::TabFocusReason);
        QVERIFY(!box->hasFocus());

        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(5, box->height() / 2));
        QVERIFY(box->hasFocus());
        QCOMPARE(box->selectedText(), QStringLiteral("20"));

        // A second click, inside the box that already has the focus, places the cursor.
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(5, box->height() / 2));
        QVERIFY(box->selectedText().isEmpty());
    }

    // Another window coming to the front and going again is not entering the box.
    void returningToTheWindowKeepsTheCaret()
    {
        Program program;
        program.window.load();
        program.showActive();
        QLineEdit* box = program.window.countBox();
        box->setCursorPosition(1);
        QVERIFY(!box->hasSelectedText());

        QWidget other;
        other.show();
        QApplication::setActiveWindow(&other);
        QVERIFY(QTest::qWaitForWindowActive(&other));
        QApplication::setActiveWindow(&program.window);
        QVERIFY(QTest::qWaitForWindowActive(&program.window));

        QVERIFY(box->hasFocus());
        QVERIFY(!box->hasSelectedText());
        QCOMPARE(box->cursorPosition(), 1);
    }

    void countIsRememberedAsTyped_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("leaveByTab"); // else: close the window with the focus in the box
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("stored");
        QTest::newRow("abc, focus leaves") << "abc" << true << "20"
                                           << "20";
        QTest::newRow("blank, focus leaves") << " " << true << "20"
                                             << "20";
        QTest::newRow("number kept") << "-2.5e1" << true << "-2.5e1"
                                     << "-2.5e1";
        QTest::newRow("abc, window closed") << "abc" << false << "abc"
                                            << "abc";
    }
    void countIsRememberedAsTyped()
    {
        QFETCH(QString, typed);
        QFETCH(bool, leaveByTab);
        QFETCH(QString, shown);
        QFETCH(QString, stored);
        {
            Program program;
            program.window.load();
            QVERIFY(!storedCount().isValid()); // first start: nothing stored yet, box shows 20
            QCOMPARE(program.window.countBox()->text(), QStringLiteral("20"));
            program.showActive();
            QTest::keyClicks(program.window.countBox(), typed); // replaces the selected text
            QCOMPARE(storedCount().toString(), typed);
            if (leaveByTab)
                QTest::keyClick(program.window.countBox(), Qt::Key_Tab);
            else
                program.window.close();
            QCOMPARE(program.window.countBox()->text(), shown);
            QCOMPARE(storedCount().toString(), stored);
            QCOMPARE(program.ended, leaveByTab ? 0 : 1);
        }
        Program next;
        next.window.load();
        QCOMPARE(next.window.countBox()->text(), stored);
    }

    void controlsFitTheirContainers()
    {
        Program program;
        for (const QWidget* w : program.window.findChildren<QWidget*>()) {
            if (!w->isWindow() && w->parentWidget())
                QVERIFY2(w->parentWidget()->rect().contains(w->geometry()),
                         qPrintable(w->objectName()));
        }
        // Nothing below the study frame but the window's margin.
        const QRect frame = program.child<QGroupBox>("StudyFrame")->geometry();
        QCOMPARE(program.window.height() - frame.bottom() - 1, frame.left());
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
