// The rules a history's answers are graded under, and when its states' revision moves: the
// study engine reads every word afresh only when it does.

#include "HistoryFill.h"
#include "TestDoubles.h"
#include "WordDatabase.h"
#include "study/History.h"

#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Answer n: on one of twelve two-letter words, right or wrong, ten seconds after the last.
AnswerRecord answer(int n)
{
    const QDateTime start(QDate(2026, 3, 2), QTime(9, 0), Qt::UTC);
    const QString word = QStringLiteral("A") + QChar('A' + n % 12);
    return answerOn(word, start.addSecs(qint64(n) * 10), n % 3 != 2);
}

// A history of 300 such answers, its states kept.
void fillWithAnswers(const QString& path)
{
    QList<AnswerRecord> answers;
    for (int n = 0; n < 300; ++n)
        answers.append(answer(n));
    fillHistory(path, answers);
}

} // namespace

class HistoryRulesTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    // A history opened afresh writes its answers under the rules the file keeps: the fitted
    // weights and eye for fakes, not the defaults, and the first write reads no state afresh.
    void reopenedHistoryWritesUnderItsRules()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("history.sqlite"));
        fillWithAnswers(path);
        RecordingMessageBoxes messages;
        {
            History fitted(messages, path);
            auto fit = std::make_shared<ScriptedFit>();
            fitted.setFitter(scripted(fit));
            QVERIFY(fitted.recalibrate(QDate(2026, 3, 20)));
        }
        History history(messages, path);
        QVERIFY(history.open());
        QVERIFY(history.policy().model.weights() != Fsrs::defaultWeights());
        QVERIFY(history.flush());
        const quint64 before = history.statesRevision();
        // A word met for the first time: its state hangs on the fitted weights.
        history.record(answerOn(QStringLiteral("QI"), answer(300).at));
        QVERIFY(history.flush());
        QCOMPARE(history.statesRevision(), before + 1);
        const QStringList shown = snapshot(history);
        QCOMPARE(snapshot(OpenedHistory(messages, path)), shown);
        History rebuilt(messages, path);
        rebuilt.rebuild();
        QCOMPARE(snapshot(rebuilt), shown);
    }

    // Only a fit that changes the weights moves the states' revision, in line or in the
    // background: one that comes out the same, or finds too few answers, leaves the study
    // engine's pools as they are, so the next question reads no word afresh.
    void unchangedFitKeepsTheRevision_data()
    {
        QTest::addColumn<bool>("inLine");
        QTest::addColumn<double>("scale");
        for (const bool inLine : {false, true}) {
            const char* how = inLine ? "in line" : "background";
            QTest::addRow("%s, new weights", how) << inLine << 2.0;
            QTest::addRow("%s, same weights", how) << inLine << 1.0;
            QTest::addRow("%s, too few answers", how) << inLine << 0.0;
        }
    }
    void unchangedFitKeepsTheRevision()
    {
        QFETCH(bool, inLine);
        QFETCH(double, scale);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("history.sqlite"));
        fillWithAnswers(path);
        // The eye for fakes these answers give, so that only the weights can change.
        WordDatabase::execute(path, {QStringLiteral("INSERT OR REPLACE INTO meta(key, value) "
                                                    "VALUES('fake_spotting', 0)")});
        auto fit = std::make_shared<ScriptedFit>();
        fit->scale = scale;
        RecordingMessageBoxes messages;
        History history(messages, path);
        history.setFitter(scripted(fit));
        QVERIFY(history.open());
        QVERIFY(history.flush());
        const quint64 before = history.statesRevision();
        const QDate day(2026, 3, 20);
        if (inLine) {
            history.recalibrate(day);
        } else {
            history.recalibrateInBackground(day);
            QVERIFY(history.waitForBackgroundWork(30000));
            history.takeUpBackgroundWork();
        }
        QVERIFY(history.flush());
        QCOMPARE(fit->calls.loadRelaxed(), 1);
        QCOMPARE(history.statesRevision() != before, scale == 2.0);
    }
};

QTEST_GUILESS_MAIN(HistoryRulesTest)
#include "tst_historyrules.moc"
