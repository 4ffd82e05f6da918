#include "MainWindowProgram.h"

#include <QDialog>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <memory>

// How the program ends: the word store closed and released at shut-down, and the exit code when
// the main window closes under a modal window.
class TestProgramEnd : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init() { clearStoredSettings(); }

    void shutDownClosesAndReleases_data()
    {
        QTest::addColumn<bool>("canCreate");
        QTest::addColumn<QStringList>("calls");
        QTest::addColumn<QList<int>>("lines");
        QTest::newRow("open connection") << true << QStringList{"close", "release"} << QList<int>{};
        QTest::newRow("no connection object")
            << false << QStringList{"close", "release"} << QList<int>{100, 100};
    }
    void shutDownClosesAndReleases()
    {
        QFETCH(bool, canCreate);
        QFETCH(QStringList, calls);
        QFETCH(QList<int>, lines);
        Program program;
        program.connection.canCreate = canCreate;
        program.window.load();
        program.window.show();
        program.test.messages.shown.clear();
        program.connection.calls.clear();

        QVERIFY(program.window.close());
        QCOMPARE(program.connection.calls, calls);
        QCOMPARE(reportedLines(program.test.messages), lines);
        for (const auto& m : program.test.messages.shown)
            QVERIFY(m.text.contains(QStringLiteral("Form1.Form_QueryUnload ")));
        QCOMPARE(program.ended, 1);
        QVERIFY(!program.window.isVisible());
    }

    // The program ends with exit code 0 when its main window closes while a modal window of it is
    // open, and a modal window opened after that returns without waiting for the player; the run
    // lives in a child process because leaving the loops is for good.
    void closingEndsTheProgramFromAModalWindow()
    {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--close-from-modal")});
        QVERIFY(child.waitForFinished(30000));
        QCOMPARE(child.exitStatus(), QProcess::NormalExit);
        QCOMPARE(child.exitCode(), 0);
        QCOMPARE(QString::fromLatin1(child.readAllStandardOutput()).trimmed(),
                 QStringLiteral("modal returned\nnext modal returned"));
    }
};

// The child process of closingEndsTheProgramFromAModalWindow.
static int closeFromModal(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    // A program that hangs here fails the test with exit code 3.
    QTimer::singleShot(15000, [] { std::_Exit(3); });

    auto program = std::make_unique<Program>();
    Program& p = *program;
    MainWindow& window = p.window;
    window.setProgramEnder(&MainWindow::endProgram);
    if (window.load() != MainWindow::StartUp::Show)
        return 2;
    window.show();
    QTimer::singleShot(0, &window, [&window] {
        QDialog dialog(&window);
        QTimer::singleShot(50, &window, [&window] { window.close(); });
        dialog.exec();
        printf("modal returned\n");
        QDialog next(&window); // what a test run would show next
        // Runs only if the window waits for the player; it is closed again so the run goes on.
        QTimer::singleShot(0, &next, [&next] {
            printf("next modal waited\n");
            next.reject();
        });
        next.exec();
        printf("next modal returned\n");
        fflush(stdout);
    });
    const int rc = QApplication::exec();
    program.reset();
    return rc;
}

int main(int argc, char* argv[])
{
    if (argc > 1 && qstrcmp(argv[1], "--close-from-modal") == 0)
        return closeFromModal(argc, argv);
    QApplication app(argc, argv);
    TestProgramEnd test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_programend.moc"
