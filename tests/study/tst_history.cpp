#include "History.h"
#include "TestDoubles.h"
#include "WordDatabase.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTest>

#include <unistd.h>

namespace {

// Answer n of a scripted sequence: choose-the-valid on 2-letter words, every third one wrong
// (taking the non-word "QX" for a word), one day apart every fifth answer.
AnswerRecord answer(int n)
{
    AnswerRecord a;
    a.at = QDateTime(QDate(2026, 3, 2), QTime(9, 0), Qt::UTC)
               .addSecs(qint64(n) * 10 + qint64(n / 5) * 86400);
    a.testKind = QStringLiteral("Form2");
    a.validKind = n % 4 != 3;
    a.length = 2;
    const QStringList words{QStringLiteral("AA"), QStringLiteral("AB"), QStringLiteral("AD"),
                            QStringLiteral("AE")};
    a.candidates = a.validKind ? QStringList{words[n % 4], QStringLiteral("QX"),
                                             QStringLiteral("ZQ"), QStringLiteral("XZ")}
                               : QStringList{QStringLiteral("QX"), words[0], words[1], words[2]};
    a.rightIndex = 0;
    a.chosenIndex = n % 3 == 2 ? 1 : 0;
    return a;
}

// The derived states in a comparable form.
QStringList snapshot(const History& history)
{
    QStringList lines;
    for (const WordMemory& m : history.words())
        lines.append(QStringLiteral("%1 %2 %3 %4 %5 %6 %7")
                         .arg(m.word)
                         .arg(m.memory ? m.memory->stability : -1.0, 0, 'g', 12)
                         .arg(m.memory ? m.memory->difficulty : -1.0, 0, 'g', 12)
                         .arg(m.due.toMSecsSinceEpoch())
                         .arg(m.reviews)
                         .arg(m.lapses)
                         .arg(m.confusions));
    lines.sort();
    return lines;
}

} // namespace

class HistoryTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void defaultPathIsPerUserAndNamedLikeTheSettings()
    {
        QVERIFY(History::defaultPath().endsWith(
            QStringLiteral("/Quenmark/Lexitor Trainer Software/history.sqlite")));
    }

    // Every answer is kept; the states follow from them, survive a restart and rebuild the same.
    void recordsKeepsAndRebuilds()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("sub/history.sqlite"));
        RecordingMessageBoxes messages;
        QStringList before;
        {
            History history(messages, path);
            QVERIFY(!QFile::exists(path)); // nothing happens before the first use
            for (int n = 0; n < 40; ++n)
                history.record(answer(n));
            QVERIFY(history.isSaving());
            QCOMPARE(history.answerCount(), 40);
            before = snapshot(history);
            QCOMPARE(history.find(QStringLiteral("QX"))->confusions, 13);
            QVERIFY(history.find(QStringLiteral("AA"))->reviews > 0);
        }
        History reopened(messages, path);
        QCOMPARE(snapshot(reopened), before);
        QCOMPARE(reopened.answers().size(), 40);
        reopened.rebuild();
        QCOMPARE(snapshot(reopened), before);
        QVERIFY(messages.shown.isEmpty());

        const auto missed = reopened.mostMissed(1);
        QCOMPARE(missed.size(), 1);
        QCOMPARE(missed[0].word, QStringLiteral("QX"));
        QVERIFY(!missed[0].valid);
        const auto days = reopened.lastDays(3, answer(39).at);
        QCOMPARE(days.size(), 3);
        QCOMPARE(days.last().answers, 5);

        QString movedTo;
        QVERIFY(reopened.forgetAll(&movedTo));
        QVERIFY(QFile::exists(movedTo));
        QCOMPARE(reopened.answerCount(), 0);
    }

    void damagedFileIsMovedAside_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::newRow("random bytes") << QStringLiteral("bytes");
        QTest::newRow("another program's database") << QStringLiteral("foreign");
    }
    void damagedFileIsMovedAside()
    {
        QFETCH(QString, damage);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("history.sqlite"));
        if (damage == QLatin1String("bytes"))
            WordDatabase::writeRandomBytes(path);
        else
            WordDatabase::write(path, {QStringLiteral("AA")});
        const QByteArray hash = WordDatabase::fileHash(path);

        RecordingMessageBoxes messages;
        History history(messages, path);
        history.record(answer(0));
        history.record(answer(1));
        QCOMPARE(messages.shown.size(), 1);
        QVERIFY(messages.shown[0].text.contains(QStringLiteral("damaged")));
        const QStringList aside =
            QDir(dir.path()).entryList({QStringLiteral("history-damaged-*.sqlite")});
        QCOMPARE(aside.size(), 1);
        QCOMPARE(WordDatabase::fileHash(dir.filePath(aside[0])), hash);
        QVERIFY(history.isSaving());
        QCOMPARE(history.answerCount(), 2);
    }

    void unwritableKeepsWorkingAndSaysSoOnce_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("folder is a file") << QStringLiteral("file");
        QTest::newRow("read-only folder") << QStringLiteral("readonly");
    }
    void unwritableKeepsWorkingAndSaysSoOnce()
    {
        QFETCH(QString, kind);
        QTemporaryDir dir;
        QString path;
        if (kind == QLatin1String("file")) {
            WordDatabase::writeEmptyFile(dir.filePath(QStringLiteral("blocked")));
            path = dir.filePath(QStringLiteral("blocked/history.sqlite"));
        } else {
            if (geteuid() == 0)
                QSKIP("the superuser writes into read-only folders");
            const QString folder = dir.filePath(QStringLiteral("ro"));
            QVERIFY(QDir().mkpath(folder));
            QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
            path = folder + QStringLiteral("/history.sqlite");
        }
        RecordingMessageBoxes messages;
        History history(messages, path);
        for (int n = 0; n < 5; ++n)
            history.record(answer(n));
        QVERIFY(!history.isSaving());
        QCOMPARE(messages.shown.size(), 1);
        QVERIFY(messages.shown[0].text.contains(QStringLiteral("not being saved")));
        // The states are kept in memory for this run.
        QCOMPARE(history.find(QStringLiteral("AA"))->reviews, 3);
        QFile::setPermissions(dir.filePath(QStringLiteral("ro")),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    // Two trainers writing in turns: every answer lands once, and each builds on the other's.
    void twoProgramsShareOneHistory()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("history.sqlite"));
        RecordingMessageBoxes messages;
        History first(messages, path);
        History second(messages, path);
        first.words(); // both hold their states in memory from the start
        second.words();
        for (int n = 0; n < 30; ++n)
            (n % 2 ? second : first).record(answer(n));
        QCOMPARE(first.answerCount(), 30);
        QCOMPARE(snapshot(first), snapshot(second));
        History third(messages, path);
        third.rebuild();
        QCOMPARE(snapshot(third), snapshot(first));
        QVERIFY(messages.shown.isEmpty());
    }

    void schemaCarriesItsVersion()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("history.sqlite"));
        RecordingMessageBoxes messages;
        {
            History history(messages, path);
            QVERIFY(history.open());
        }
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "check");
            db.setDatabaseName(path);
            QVERIFY(db.open());
            QSqlQuery q(QStringLiteral("PRAGMA user_version"), db);
            QVERIFY(q.next());
            QCOMPARE(q.value(0).toInt(), History::SchemaVersion);
        }
        QSqlDatabase::removeDatabase("check");
    }
};

QTEST_GUILESS_MAIN(HistoryTest)
#include "tst_history.moc"
