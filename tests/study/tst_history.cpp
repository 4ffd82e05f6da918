#include "History.h"
#include "HistoryFill.h"
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

QList<AnswerRecord> answers(int count)
{
    QList<AnswerRecord> list;
    for (int n = 0; n < count; ++n)
        list.append(answer(n));
    return list;
}

const QString TamperAA = QStringLiteral("UPDATE word_state SET reviews = 99 WHERE word = 'AA'");

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

    // The day's fit: new weights rebuild the states; the same weights, or none, leave them. One
    // fit a study day, whichever History asks.
    void fitChangesOnlyWithNewWeights_data()
    {
        QTest::addColumn<double>("scale");
        QTest::newRow("new weights") << 2.0;
        QTest::newRow("same weights") << 1.0;
        QTest::newRow("too few answers") << 0.0;
    }
    void fitChangesOnlyWithNewWeights()
    {
        QFETCH(double, scale);
        const bool changed = scale != 0.0 && scale != 1.0;
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("history.sqlite"));
        fillHistory(path, answers(300));
        WordDatabase::execute(path, {TamperAA});
        auto fit = std::make_shared<ScriptedFit>();
        fit->scale = scale;
        const QDate day(2026, 3, 20);
        RecordingMessageBoxes messages;
        {
            History history(messages, path);
            history.setFitter(scripted(fit));
            QCOMPARE(history.recalibrate(day), changed);
            QCOMPARE(fit->answers.loadRelaxed(), 300);
            QCOMPARE(history.find(QStringLiteral("AA"))->reviews == 99, !changed);
            QVERIFY(!history.recalibrate(day));
        }
        History again(messages, path);
        again.setFitter(scripted(fit));
        again.recalibrateInBackground(day);
        QVERIFY(!again.backgroundBusy());
        QCOMPARE(fit->calls.loadRelaxed(), 1);
        QCOMPARE(again.policy().model.weights() != Fsrs::defaultWeights(), changed);
        QVERIFY(messages.shown.isEmpty());
    }

    // New grading rules: the stored states serve at once while the rebuild runs in the
    // background; it is taken up when asked, and kept.
    void rulesChangeRebuildsInTheBackground()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("history.sqlite"));
        fillHistory(path, answers(40));
        RecordingMessageBoxes messages;
        const QStringList rebuilt = snapshot(History(messages, path));
        WordDatabase::execute(path,
                              {TamperAA, QStringLiteral("UPDATE meta SET value = 0 WHERE key = "
                                                        "'grading'")});
        History history(messages, path);
        QCOMPARE(history.find(QStringLiteral("AA"))->reviews, 99);
        QVERIFY(history.waitForBackgroundWork(30000));
        QCOMPARE(history.find(QStringLiteral("AA"))->reviews, 99);
        QVERIFY(history.takeUpBackgroundWork());
        QCOMPARE(snapshot(history), rebuilt);
        History reopened(messages, path);
        QCOMPARE(snapshot(reopened), rebuilt);
        QVERIFY(!reopened.backgroundBusy());
    }

    // Closing the history while its background work runs returns, writes nothing half done, and
    // leaves a file that opens as before: a fit with no checkpoint in it is left behind.
    void closingWithWorkRunningIsClean_data()
    {
        QTest::addColumn<bool>("fitHolds");
        QTest::newRow("fit") << true;
        QTest::newRow("rebuild") << false;
    }
    void closingWithWorkRunningIsClean()
    {
        QFETCH(bool, fitHolds);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("history.sqlite"));
        fillHistory(path, answers(fitHolds ? 300 : 20000));
        RecordingMessageBoxes messages;
        auto fit = std::make_shared<ScriptedFit>();
        fit->hold = true;
        {
            History history(messages, path);
            history.setFitter(scripted(fit));
            if (fitHolds) {
                history.recalibrateInBackground(QDate(2026, 3, 20));
                fit->entered.acquire();
            } else {
                WordDatabase::execute(path, {QStringLiteral("DELETE FROM meta")});
                QVERIFY(history.open());
            }
            QVERIFY(history.backgroundBusy());
        }
        fit->released.release();
        History reopened(messages, path);
        QCOMPARE(reopened.answerCount(), fitHolds ? 300 : 20000);
        QCOMPARE(reopened.policy().model.weights(), Fsrs::defaultWeights());
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
