#include "StudyFixture.h"
#include "TestDoubles.h"
#include "WordDatabase.h"
#include "study/StudyEngine.h"
#include "words/NonWordRules.h"

#include <QSet>
#include <QStandardPaths>
#include <QTest>

// Study's uniform mode, which asks like the written tests: both kinds, every length, the same
// draws giving the same questions.
class StudyUniformTest : public QObject
{
    Q_OBJECT

    using Fixture = StudyFixture;

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    // Uniform mode draws both kinds and every length, and never runs out.
    void uniformModeDrawsLikeTheWrittenTests()
    {
        QStringList words = WordDatabase::sequentialWords(2, 5);
        words += WordDatabase::sequentialWords(3, 5);
        Fixture f(words, {0, {2, 3}, StudySettings::Mode::Uniform});
        QSet<QString> seen;
        for (int n = 0; n < 60; ++n) {
            const auto q = f.engine->next();
            QVERIFY(q);
            seen.insert(QStringLiteral("%1%2").arg(q->validKind).arg(q->length));
            f.engine->answer(0);
        }
        QCOMPARE(seen.size(), 4);
    }

    // Uniform mode keeps the written tests' way of drawing: the same draws give the same
    // questions as before study questions had phonies.
    void uniformModeDrawsAsBefore()
    {
        const QList<int> lengths{2, 3, 4};
        QStringList words;
        for (int length : lengths)
            words += WordDatabase::sequentialWords(length, 30);
        Fixture f(words, {0, lengths, StudySettings::Mode::Uniform});
        QStringList asked;
        for (int n = 0; n < 6; ++n) {
            const auto q = f.engine->next();
            QVERIFY(q);
            asked.append(QString::number(q->rightIndex) + q->candidates.join(QLatin1Char(' ')));
            f.engine->answer(q->rightIndex);
        }
        QCOMPARE(asked, (QStringList{"0BA VI OU KV", "1AAAE IRJJ AAAY AAAO", "1OR AG NW GH",
                                     "0HM AB BB AW", "0AZ HE BU IW", "0OJAM AABB AAAW AAAG"}));
        QCOMPARE(f.random.draws, 58);
    }

    // Uniform mode drops a pair of alike letters whole, where the written tests draw the second
    // letter again: seeded runs keep their questions.
    void uniformModeDropsAnAlikePairWhole()
    {
        Fixture f(WordDatabase::sequentialWords(2, 5), {0, {2}, StudySettings::Mode::Uniform});
        f.random.push(0, 0, 1); // choose the valid word
        f.random.push(0, 0, 0); // the one length
        f.random.push(2, 0, 4); // AC
        f.random.pushLetters(QStringLiteral("QQZXBCDF"));
        f.random.push(0, 0, 3); // the word first
        const auto q = f.engine->next();
        QVERIFY(q);
        QCOMPARE(q->candidates, (QStringList{"AC", "ZX", "BC", "DF"}));
    }

    // A list that takes every string the written tests' letter rules allow leaves uniform mode's
    // draw nothing to find: the phonies left (a doubled letter, no vowel) stand in.
    void uniformModeOnAListOfEveryAllowedString_data()
    {
        QTest::addColumn<int>("length");
        QTest::newRow("2 letters, every pair of two letters") << 2;
        QTest::newRow("3 letters, every string with a vowel") << 3;
    }
    void uniformModeOnAListOfEveryAllowedString()
    {
        QFETCH(int, length);
        QStringList words = WordDatabase::sequentialWords(length, length == 2 ? 676 : 17576);
        words.removeIf(
            [&](const QString& w) { return length == 2 ? w.at(0) == w.at(1) : !ContainsVowel(w); });
        const QSet<QString> list(words.cbegin(), words.cend());
        Fixture f(words, {0, {length}, StudySettings::Mode::Uniform});
        for (int n = 0; n < 12; ++n) {
            const auto q = f.engine->next();
            QVERIFY(q);
            QCOMPARE(QSet<QString>(q->candidates.cbegin(), q->candidates.cend()).size(), 4);
            for (int i = 0; i < 4; ++i)
                QCOMPARE(list.contains(q->candidates.at(i)), (i == q->rightIndex) == q->validKind);
            f.engine->answer(q->rightIndex);
        }
    }
};

QTEST_GUILESS_MAIN(StudyUniformTest)
#include "tst_studyuniform.moc"
