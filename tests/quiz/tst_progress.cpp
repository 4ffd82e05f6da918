#include "History.h"
#include "StudyRoom.h"
#include "TestDoubles.h"
#include "WordDatabase.h"
#include "WordList.h"
#include "WordStore.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {

bool chartsLoaded()
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    return maps.open(QIODevice::ReadOnly) && maps.readAll().contains("libQt6Charts");
}

// A history with three words learnt long ago and two misses, and a desk over it whose program
// folder, a temporary one, holds a link to the built progress module.
struct Fixture
{
    Fixture()
        : store(t.random), session(t.env, store),
          history(t.messages, t.path(QStringLiteral("history.sqlite")))
    {
        WordDatabase::write(t.path(QStringLiteral("dbWords.mdb")),
                            WordDatabase::sequentialWords(2, 20));
        store.create();
        store.open(t.path(QStringLiteral("dbWords.mdb")));
        const QString module = ProgressModule::moduleFileName();
        QFile::link(QDir(qEnvironmentVariable("LEXITOR_PROGRAM_DIR")).filePath(module),
                    t.path(module));
        const QDateTime start = clock.now.addDays(-3);
        for (const char* word : {"AA", "AB", "AC"})
            history.record({start,
                            QStringLiteral("Form2"),
                            true,
                            2,
                            {QString::fromLatin1(word), "QZ", "XJ", "VK"},
                            0,
                            0,
                            900});
        // Took XJ for a word, passing over AD.
        history.record(
            {start, QStringLiteral("study"), true, 2, {"AD", "QZ", "XJ", "VK"}, 0, 2, 900});
        room.emplace(session, history, clock);
    }

    // Runs the progress window; inspect runs while it is up, then it closes.
    void whileShown(const std::function<void(QDialog&)>& inspect)
    {
        QTimer::singleShot(0, [&] {
            auto* window = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            QVERIFY(window);
            inspect(*window);
            window->reject();
        });
        room->showProgress(nullptr);
    }

    TestEnvironment t;
    WordStore store;
    Session session;
    History history;
    ManualWallClock clock;
    std::optional<StudyRoom> room;
};

QStringList items(const QDialog& window)
{
    QStringList all;
    const auto* list = window.findChild<QListWidget*>(QStringLiteral("MissedList"));
    for (int i = 0; i < list->count(); ++i)
        all.append(list->item(i)->text());
    return all;
}

} // namespace

class TestProgress : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    // Qt Charts loads with the window, not before; the window shows the history's figures.
    void showsTheHistory()
    {
        Fixture fx;
        QVERIFY(!chartsLoaded());
        bool shown = false;
        fx.whileShown([&](QDialog& window) {
            shown = true;
            QVERIFY(chartsLoaded());
            QCOMPARE(items(window),
                     QStringList({"AD   missed 1 time", "XJ   missed 1 time (not a word)"}));
            const QString summary = window.findChild<QLabel*>(QStringLiteral("Summary"))->text();
            QVERIFY2(summary.contains(QStringLiteral("4 answers, 75% right")), qPrintable(summary));
            QStringList charts;
            for (const QWidget* w : window.findChildren<QWidget*>())
                if (w->accessibleName().startsWith(QStringLiteral("Words by")) ||
                    w->accessibleName().startsWith(QStringLiteral("Last 30")))
                    charts.append(w->accessibleName());
            QCOMPARE(charts.size(), 2);
        });
        QVERIFY(shown);
        QVERIFY(fx.t.messages.shown.isEmpty());
    }

    // Forgetting asks first; yes moves the history aside, never deleting it, and the window
    // shows a fresh start.
    void forgetAllAsksFirst_data()
    {
        QTest::addColumn<bool>("yes");
        QTest::newRow("no") << false;
        QTest::newRow("yes") << true;
    }
    void forgetAllAsksFirst()
    {
        QFETCH(bool, yes);
        Fixture fx;
        int asked = 0;
        fx.room->confirm = [&](QWidget*, const QString&) {
            ++asked;
            return yes;
        };
        QStringList after;
        fx.whileShown([&](QDialog& window) {
            window.findChild<QAbstractButton*>(QStringLiteral("ForgetButton"))->click();
            after = items(window);
        });
        QCOMPARE(asked, 1);
        QCOMPARE(fx.history.answerCount(), yes ? 0 : 4);
        QCOMPARE(after.size(), yes ? 1 : 2);
        const QStringList files =
            QDir(fx.t.folder.path()).entryList({QStringLiteral("history*")}, QDir::Files);
        QVERIFY2(files.size() >= (yes ? 2 : 1), qPrintable(files.join(' ')));
        QCOMPARE(fx.t.messages.shown.size(), yes ? 1 : 0);
    }

    // Only words of the word list are saved as words; the non-words follow as comment lines,
    // which the word list reader skips.
    void savesTheMissedWordsAsAPlainList()
    {
        Fixture fx;
        const QString path = fx.t.path(QStringLiteral("missed.txt"));
        QVERIFY(path.startsWith(fx.t.folder.path()));
        fx.room->askSavePath = [&](QWidget*) { return path; };
        fx.whileShown([&](QDialog& window) {
            window.findChild<QAbstractButton*>(QStringLiteral("SaveButton"))->click();
        });
        QFile saved(path);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        const QByteArray text = saved.readAll();
        QCOMPARE(text, QByteArray("AD\n# Missed too, but not words:\n# XJ\n"));
        WordList list;
        QVERIFY(list.feed(text.constData(), std::size_t(text.size())) && list.finish());
        QCOMPARE(list.words(), QStringList{"AD"});
        for (int reason = 0; reason < WordList::ReasonCount; ++reason)
            QCOMPARE(list.rejected(WordList::Reason(reason)), 0);
        QVERIFY(!StudyRoom::writeWordList(fx.t.path(QStringLiteral("no/such/folder.txt")), {"AA"}));
    }
};

QTEST_MAIN(TestProgress)
#include "tst_progress.moc"
