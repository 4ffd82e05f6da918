#include "base/AppTitle.h"
#include "base/ErrorReporting.h"
#include "base/ProgramFiles.h"
#include "base/Settings.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

// The program's title, its test for its own files and the remembered question count.
class CoreTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void appTitleDropsTheLastWord_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("title");
        QTest::newRow("product") << "Lexitor Trainer Software"
                                 << "Lexitor Trainer";
        QTest::newRow("two words") << "Lexitor Trainer"
                                   << "Lexitor";
        QTest::newRow("long name loses words until it fits")
            << "Lexitor Trainer Software For Players Of The Board Game Everywhere"
            << "Lexitor Trainer Software For Players Of";
    }
    void appTitleDropsTheLastWord()
    {
        QFETCH(QString, name);
        QFETCH(QString, title);
        QCOMPARE(AppTitleFor(name), title);
        QVERIFY(AppTitleFor(name).size() <= 40);
    }

    void appTitleWithoutABlankFails()
    {
        QVERIFY_THROWS_EXCEPTION(AppError, AppTitleFor(QStringLiteral("Lexitor")));
        QVERIFY_THROWS_EXCEPTION(AppError, AppTitleFor(QString(50, QLatin1Char('x'))));
    }

    void setAppTitleUsesTheProductName()
    {
        QString title = QStringLiteral("unset");
        SetAppTitle(title);
        QCOMPARE(title, QStringLiteral("Lexitor Trainer"));
    }

    void fileExists_data()
    {
        QTest::addColumn<QString>("relative");
        QTest::addColumn<bool>("exists");
        QTest::newRow("empty path") << QString() << false;
        QTest::newRow("missing") << "nothing-here.txt" << false;
        QTest::newRow("invalid: NUL in name") << QString::fromLatin1("bad\0name", 8) << false;
        QTest::newRow("invalid: name too long") << QString(5000, QLatin1Char('a')) << false;
        QTest::newRow("below a file") << "file.txt/inner" << false;
        QTest::newRow("file") << "file.txt" << true;
        QTest::newRow("a FIFO is no file") << "pipe" << false;
        QTest::newRow("a folder is no file") << "folder" << false;
    }
    void fileExists()
    {
        QFETCH(QString, relative);
        QFETCH(bool, exists);
        QTemporaryDir dir;
        QFile file(dir.filePath(QStringLiteral("file.txt")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        QVERIFY(::mkfifo(QFile::encodeName(dir.filePath(QStringLiteral("pipe"))), 0600) == 0);
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder")));
        const QString path = relative.isEmpty() ? QString() : dir.filePath(relative);
        QCOMPARE(FileExists(path), exists);
    }

    void questionCountSetting()
    {
        QSettings(QSettings::UserScope, QStringLiteral("Quenmark")).clear();
        QuestionCountSetting setting;
        QCOMPARE(setting.load(), QStringLiteral("20"));
        setting.store(QStringLiteral("abc"));
        QCOMPARE(setting.load(), QStringLiteral("abc"));
        QSettings raw(QSettings::UserScope, QStringLiteral("Quenmark"));
        QCOMPARE(raw.value(QStringLiteral("Lexitor Trainer Software/Text1")).toString(),
                 QStringLiteral("abc"));
        QVERIFY(raw.fileName().contains(QStringLiteral(".qttest")));
        raw.clear();
    }

    // Where the count is remembered, for each HOME and XDG_CONFIG_HOME ("-": unset, "~": the
    // test's folder); "" when nowhere. Never outside the user's config folder.
    void questionCountFollowsTheXdgRules_data()
    {
        QTest::addColumn<QString>("home");
        QTest::addColumn<QString>("configHome");
        QTest::addColumn<bool>("testMode");
        QTest::addColumn<QString>("file");
        QTest::newRow("home") << "~/home"
                              << "-" << false << "home/.config/Quenmark.conf";
        QTest::newRow("XDG_CONFIG_HOME first") << "~/home"
                                               << "~/xdg" << false << "xdg/Quenmark.conf";
        QTest::newRow("a relative XDG_CONFIG_HOME is ignored")
            << "~/home"
            << "xdg" << false << "home/.config/Quenmark.conf";
        QTest::newRow("no HOME") << "-"
                                 << "~/xdg" << false << "xdg/Quenmark.conf";
        QTest::newRow("empty HOME, no XDG_CONFIG_HOME") << ""
                                                        << "-" << false << "";
        QTest::newRow("neither") << "-"
                                 << "" << false << "";
        QTest::newRow("relative HOME") << "home"
                                       << "-" << false << "";
        QTest::newRow("test mode, empty HOME") << ""
                                               << "-" << true << "";
    }
    void questionCountFollowsTheXdgRules()
    {
        QFETCH(QString, home);
        QFETCH(QString, configHome);
        QFETCH(bool, testMode);
        QFETCH(QString, file);
        QTemporaryDir dir;
        const QString oldFolder = QDir::currentPath();
        const QByteArray oldHome = qgetenv("HOME");
        const QByteArray oldConfigHome = qgetenv("XDG_CONFIG_HOME");
        const bool hadConfigHome = qEnvironmentVariableIsSet("XDG_CONFIG_HOME");
        const auto set = [&dir](const char* name, QString value) {
            if (value == QStringLiteral("-"))
                return qunsetenv(name);
            return qputenv(name, QFile::encodeName(value.replace(QLatin1Char('~'), dir.path())));
        };
        QVERIFY(QDir::setCurrent(dir.path())); // relative folders land in the test's folder
        set("HOME", home);
        set("XDG_CONFIG_HOME", configHome);
        QStandardPaths::setTestModeEnabled(testMode);
        const QStringList atRoot = QDir::root().entryList(QDir::AllEntries | QDir::Hidden);

        QuestionCountSetting().store(QStringLiteral("7"));
        const QString loaded = QuestionCountSetting().load();

        QStandardPaths::setTestModeEnabled(true);
        qputenv("HOME", oldHome);
        hadConfigHome ? qputenv("XDG_CONFIG_HOME", oldConfigHome) : qunsetenv("XDG_CONFIG_HOME");
        QVERIFY(QDir::setCurrent(oldFolder));
        QCOMPARE(loaded, file.isEmpty() ? QStringLiteral("20") : QStringLiteral("7"));
        QStringList written;
        QDirIterator it(dir.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext())
            written << QDir(dir.path()).relativeFilePath(it.next());
        QCOMPARE(written, file.isEmpty() ? QStringList() : QStringList{file});
        QCOMPARE(QDir::root().entryList(QDir::AllEntries | QDir::Hidden), atRoot);
    }
};

QTEST_GUILESS_MAIN(CoreTest)
#include "tst_core.moc"
