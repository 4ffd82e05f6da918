#include "HistoryFill.h"
#include "TestDoubles.h"
#include "TestFiles.h"
#include "WordDatabase.h"
#include "base/ErrorReporting.h"
#include "base/Settings.h"
#include "study/WordListChoice.h"
#include "words/WordSchema.h"

#include <QDir>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

namespace {

const QString Stamp = QStringLiteral("20260101-120000");

QList<AnswerRecord> answers(int count)
{
    QList<AnswerRecord> all;
    const QDateTime start(QDate(2026, 3, 2), QTime(9, 0), Qt::UTC);
    for (int n = 0; n < count; ++n)
        all.append(answerOn(n % 2 ? QStringLiteral("XI") : QStringLiteral("AA"), start.addSecs(n)));
    return all;
}

// The answers in the history at path, or -1 when there is no file.
int answersIn(const QString& path)
{
    if (!QFileInfo::exists(path))
        return -1;
    RecordingMessageBoxes quiet;
    History history(quiet, path);
    history.open();
    return history.answerCount();
}

// A data folder of the layout before list ids, the bundled list and lists imported back then (no
// id), and one trainer's start on them: WordListChoice over a History.
struct Fixture
{
    Fixture()
    {
        WordDatabase::write(t.path(WordListChoice::BundledFile), {"AA", "CAT", "ZOOM"});
        WordListSetting().store(QString());
    }
    QString data() const { return root.filePath(QStringLiteral("data")); }
    QString old(const QString& name) const { return HistoryFolder(data()).oldPath(name); }
    QString archived(const QString& file) const
    {
        return HistoryFolder(data()).archive() + QLatin1Char('/') + file;
    }
    QString addList(const QString& name)
    {
        const QString path = WordListCatalog(lists()).pathOf(name);
        QDir().mkpath(lists());
        WordDatabase::write(path, {"XI", "XIS", "XYST"});
        return path;
    }
    QString lists() const { return root.filePath(QStringLiteral("lists")); }
    QString idOf(const QString& name) const
    {
        return WordSchema::listId(WordListCatalog(lists()).pathOf(name));
    }
    QString own(const QString& name) const
    {
        return HistoryFolder(data()).folder() + QLatin1Char('/') + idOf(name) + ".sqlite";
    }
    // A start of the trainer on the list: the first list opened moves the old files.
    WordListChoice& start(const QString& name)
    {
        history.emplace(t.messages, QString());
        choice.emplace(t.env, store, *history, WordListCatalog(lists()), HistoryFolder(data()));
        choice->opened(name);
        history->open(); // as the due count does once the window shows
        return *choice;
    }

    QTemporaryDir root;
    TestEnvironment t;
    WordStore store{t.random};
    std::optional<WordListChoice> choice;
    std::optional<History> history;
};

// The histories in the folder (the files beside an open one come and go).
QStringList filesUnder(const QString& folder)
{
    return QDir(folder).entryList({QStringLiteral("*.sqlite")}, QDir::Files | QDir::Hidden);
}

} // namespace

class ListIdsTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    // Two lists, the bundled list's history and set-aside ones move over once, every answer in
    // its list's history; a second start moves nothing.
    void upgradeKeepsEveryAnswer()
    {
        Fixture fx;
        fx.addList(QStringLiteral("Alpha"));
        fx.addList(QStringLiteral("Beta"));
        fillHistory(fx.old(QString()), answers(3));
        fillHistory(fx.old(QStringLiteral("Alpha")), answers(5));
        fillHistory(fx.old(QStringLiteral("Beta")), answers(7));
        fillHistory(fx.old(QStringLiteral("forgotten-") + Stamp), answers(2));
        fillHistory(fx.old(QStringLiteral("Gone")), answers(4));
        // Sorted before history.sqlite, and of no list: it must not take the bundled list's place.
        fillHistory(fx.data() + "/history-.sqlite", answers(1));
        const QString damaged = fx.old(QStringLiteral("Alpha-damaged-") + Stamp);
        WordDatabase::writeRandomBytes(damaged);
        const QByteArray damagedBytes = WordDatabase::fileHash(damaged);

        fx.start(QStringLiteral("Alpha"));
        QCOMPARE(fx.choice->upgrade()->moved, 3);
        QCOMPARE(fx.choice->upgrade()->archived, 4);
        QCOMPARE(fx.choice->upgrade()->stayed, QStringList());
        QVERIFY(WordListCatalog::isId(fx.idOf(QStringLiteral("Alpha"))));
        QVERIFY(fx.idOf(QStringLiteral("Alpha")) != fx.idOf(QStringLiteral("Beta")));
        QCOMPARE(fx.history->path(), fx.own(QStringLiteral("Alpha")));
        QCOMPARE(fx.history->answerCount(), 5);
        QCOMPARE(answersIn(fx.own(QStringLiteral("Beta"))), 7);
        QCOMPARE(answersIn(fx.choice->historyPath(QString())), 3);
        QCOMPARE(fx.choice->historyPath(QString()),
                 HistoryFolder(fx.data()).folder() + "/bundled.sqlite");
        QCOMPARE(answersIn(fx.archived("history-forgotten-" + Stamp + ".sqlite")), 2);
        QCOMPARE(answersIn(fx.archived("history-Gone.sqlite")), 4);
        QCOMPARE(answersIn(fx.archived("history-.sqlite")), 1);
        QCOMPARE(WordDatabase::fileHash(fx.archived("history-Alpha-damaged-" + Stamp + ".sqlite")),
                 damagedBytes);
        QCOMPARE(QDir(fx.data()).entryList({"history*"}, QDir::Files), QStringList());

        const QString alphaId = fx.idOf(QStringLiteral("Alpha"));
        const QStringList histories = filesUnder(HistoryFolder(fx.data()).folder());
        const QStringList archive = filesUnder(HistoryFolder(fx.data()).archive());
        fx.start(QStringLiteral("Beta"));
        QCOMPARE(fx.choice->upgrade()->moved + fx.choice->upgrade()->archived, 0);
        QCOMPARE(fx.history->answerCount(), 7);
        QCOMPARE(fx.idOf(QStringLiteral("Alpha")), alphaId);
        QCOMPARE(filesUnder(HistoryFolder(fx.data()).folder()), histories);
        QCOMPARE(filesUnder(HistoryFolder(fx.data()).archive()), archive);
    }

    // What can't move stays, is used where it is and moves on a later start; nothing is
    // overwritten or lost.
    void upgradeFailures_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("answersUsed"); // in the history the list gets at the first start
        QTest::addColumn<bool>("oldStays");   // the old file is still in place after it
        QTest::newRow("its place is taken") << "taken" << 2 << false;
        QTest::newRow("folder of histories can't be made") << "blocked" << 5 << true;
        QTest::newRow("held by another program, answers in its log") << "held" << 7 << false;
        QTest::newRow("list gone") << "gone" << 0 << false;
    }
    void upgradeFailures()
    {
        QFETCH(QString, kind);
        QFETCH(int, answersUsed);
        QFETCH(bool, oldStays);
        Fixture fx;
        const QString list = QStringLiteral("Alpha");
        fx.addList(list);
        const QString old = fx.old(list);
        fillHistory(old, answers(5));
        const QString blocker = HistoryFolder(fx.data()).folder();
        std::optional<HistoryDb> other;
        if (kind == QLatin1String("taken")) {
            WordListCatalog(fx.lists()).idOf(list);
            fillHistory(fx.own(list), answers(2));
        } else if (kind == QLatin1String("blocked")) {
            writeFile(blocker);
        } else if (kind == QLatin1String("held")) {
            // Two answers only in its log, and the write lock held.
            other.emplace(old);
            other->open();
            other->run(QStringLiteral("PRAGMA wal_autocheckpoint = 0"));
            other->transaction([&] {
                for (const AnswerRecord& a : answers(2))
                    HistorySchema::insertAnswer(*other, a);
            });
            other->run(QStringLiteral("BEGIN IMMEDIATE"));
            QVERIFY(QFileInfo(old + "-wal").size() > 0);
        } else {
            QVERIFY(QFile::remove(WordListCatalog(fx.lists()).pathOf(list)));
        }

        fx.start(kind == QLatin1String("gone") ? QString() : list);
        if (other) {
            other->run(QStringLiteral("COMMIT"));
            other->close();
        }
        QCOMPARE(QFileInfo::exists(old), oldStays);
        if (kind != QLatin1String("gone"))
            QCOMPARE(fx.history->answerCount(), answersUsed);
        if (kind == QLatin1String("taken") || kind == QLatin1String("gone"))
            QCOMPARE(answersIn(fx.archived("history-Alpha.sqlite")), 5);
        if (kind == QLatin1String("blocked")) {
            QCOMPARE(fx.history->path(), old);
            QVERIFY(QFile::remove(blocker));
            fx.start(list);
            QVERIFY(!QFileInfo::exists(old));
            QCOMPARE(fx.history->path(), fx.own(list));
            QCOMPARE(fx.history->answerCount(), 5);
        }
    }

    // The id names a history file and a list's file is anyone's: an id of another form than ours
    // is replaced by one of ours, once.
    void idsNotOursAreReplaced_data()
    {
        QTest::addColumn<QString>("given");
        QTest::newRow("a path") << "../../escape";
        QTest::newRow("the bundled list's") << "bundled";
        QTest::newRow("empty") << "";
        QTest::newRow("a UUID in braces, upper case") << "{0A1B2C3D-0000-4000-8000-00000000ABCD}";
    }
    void idsNotOursAreReplaced()
    {
        QFETCH(QString, given);
        Fixture fx;
        const QString path = fx.addList(QStringLiteral("Alpha"));
        WordSchema::setListId(path, given);
        const QString id = WordListCatalog(fx.lists()).idOf(QStringLiteral("Alpha"));
        QVERIFY(WordListCatalog::isId(id));
        QCOMPARE(WordSchema::listId(path), id);
        QCOMPARE(WordListCatalog(fx.lists()).idOf(QStringLiteral("Alpha")), id);
        QCOMPARE(WordDatabase::listWords(path, 3), QStringList{"XIS"});
        QCOMPARE(QDir(fx.lists()).entryList(QDir::Files | QDir::Hidden), QStringList{"Alpha.mdb"});
    }

    // A list renamed keeps its id and its history, one file renamed; names the catalog would
    // refuse at an import are refused, and the list keeps its name.
    void rename_data()
    {
        QTest::addColumn<QString>("to");
        QTest::addColumn<bool>("renamed");
        QTest::newRow("new name") << "Collins 2019" << true;
        QTest::newRow("only the case") << "ALPHA" << true;
        QTest::newRow("another list's, with a Cyrillic a") << QStringLiteral("Bet\u0430") << false;
        QTest::newRow("the bundled list's") << "bundled LIST" << false;
        QTest::newRow("a path") << "../Alpha" << false;
        QTest::newRow("hidden") << ".Alpha" << false;
        QTest::newRow("empty") << "" << false;
    }
    void rename()
    {
        QFETCH(QString, to);
        QFETCH(bool, renamed);
        Fixture fx;
        const QString from = QStringLiteral("Alpha");
        fx.addList(from);
        fx.addList(QStringLiteral("Beta"));
        fillHistory(fx.old(from), answers(5));
        WordListChoice& choice = fx.start(from);
        WordListSetting().store(from);
        const QString id = fx.idOf(from);
        const QString history = fx.history->path();

        std::optional<AppError> refused;
        try {
            choice.rename(from, to);
        } catch (const AppError& e) {
            refused = e;
        }
        QCOMPARE(!refused, renamed);
        const QString now = renamed ? to : from;
        QStringList names = WordListCatalog(fx.lists()).names();
        QStringList expected{now, "Beta"};
        names.sort();
        expected.sort();
        QCOMPARE(names, expected);
        QCOMPARE(choice.active(), now);
        QCOMPARE(WordListSetting().load(), now);
        QCOMPARE(fx.idOf(now), id);
        QCOMPARE(choice.historyPath(now), history);
        QCOMPARE(answersIn(history), 5);
    }
};

QTEST_GUILESS_MAIN(ListIdsTest)
#include "tst_listids.moc"
