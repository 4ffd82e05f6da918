// How word-like the non-words of study questions are, next to the written tests' random ones, and
// what a study question costs. Run with tools/bench.sh.
//
// The judge is a letter-bigram model of each list (word start and end marks, add-one smoothing),
// deliberately not the model that picks the phonies: a non-word counts as word-like when it
// scores at least as high as the tenth-percentile real word of its length.
//
// Two-letter phonies must not wear out: a player who has learnt a handful of them by sight spots
// them without knowing the words beside them. The judge finds only a few two-letter non-words
// word-like (11 of the 552 the bundled list leaves), fewer than a player meets in a day; so at two
// letters the phonies must be many and take in every one of those few, rather than be those few
// three times in four.
#include "TestDoubles.h"
#include "WordDatabase.h"
#include "quiz/NonWords.h"
#include "study/History.h"
#include "study/Phonies.h"
#include "study/StudyEngine.h"
#include "study/WordPlaces.h"
#include "words/WordStore.h"

#include <QElapsedTimer>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <functional>

namespace {

constexpr double FrameMs = 16.0;

class BigramJudge
{
public:
    explicit BigramJudge(const QStringList& words)
    {
        for (const QString& word : words)
            walk(word, [&](int a, int b) { ++counts_[a][b], ++from_[a]; });
        QList<double> scores;
        for (const QString& word : words)
            scores.append(score(word));
        std::sort(scores.begin(), scores.end());
        threshold_ = scores.at(scores.size() / 10);
    }
    double score(const QString& word) const
    {
        double sum = 0;
        walk(word, [&](int a, int b) { sum += std::log((counts_[a][b] + 1.0) / (from_[a] + 27)); });
        return sum;
    }
    bool wordLike(const QString& string) const { return score(string) >= threshold_; }
    double wordLikeShare(const QStringList& strings) const
    {
        const auto n = std::count_if(strings.begin(), strings.end(),
                                     [&](const QString& s) { return wordLike(s); });
        return 100.0 * double(n) / double(strings.size());
    }

private:
    static void walk(const QString& word, const std::function<void(int, int)>& pair)
    {
        int back = 0; // 0 marks the start and the end of the word, 1-26 the letters
        for (qsizetype i = 0; i <= word.size(); ++i) {
            const int next = i < word.size() ? word.at(i).unicode() - 'A' + 1 : 0;
            pair(back, next);
            back = next;
        }
    }
    double counts_[27][27] = {};
    double from_[27] = {};
    double threshold_ = 0;
};

struct Drill
{
    QTemporaryDir dir;
    ScriptedRandom random;
    RecordingMessageBoxes messages;
    ManualWallClock clock;
    WordStore store{random};
    History history{messages, dir.filePath(QStringLiteral("history.sqlite"))};

    explicit Drill(const QString& words)
    {
        store.create();
        store.open(words);
    }
    // The non-words of `questions` study questions answered rightly, and the time of each one.
    QStringList nonWords(StudyEngine& engine, int questions, QList<double>& times)
    {
        QStringList found;
        for (int n = 0; n < questions; ++n) {
            QElapsedTimer timer;
            timer.start();
            const StudyQuestion q = engine.nextPractice();
            times.append(double(timer.nsecsElapsed()) / 1e6);
            for (int i = 0; i < 4; ++i)
                if (q.validKind != (i == q.rightIndex))
                    found.append(q.candidates.at(i));
            engine.answer(q.rightIndex);
            clock.advanceSecs(10);
        }
        return found;
    }
};

// The different strings of `strings` that the judge finds word-like.
qsizetype differentWordLike(const BigramJudge& judge, const QStringList& strings)
{
    const QSet<QString> different(strings.begin(), strings.end());
    return std::count_if(different.begin(), different.end(),
                         [&](const QString& s) { return judge.wordLike(s); });
}

// The two-letter strings that are not words and that the judge finds word-like.
QStringList wordLikeTwoLetterNonWords(const BigramJudge& judge, const QStringList& words)
{
    QStringList found;
    for (char16_t first = u'A'; first <= u'Z'; ++first)
        for (char16_t second = u'A'; second <= u'Z'; ++second) {
            const QString string = QString(QChar(first)) + QChar(second);
            if (!words.contains(string) && judge.wordLike(string))
                found.append(string);
        }
    return found;
}

double median(QList<double> times)
{
    std::sort(times.begin(), times.end());
    return times.at(times.size() / 2);
}

} // namespace

class PhoniesBench : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    // At least three in four study non-words of three letters and more look like words of the
    // bundled list; two-letter ones are at least 60 different and take in every two-letter
    // non-word that looks like a word.
    void phoniesLookLikeWords_data()
    {
        QTest::addColumn<int>("length");
        for (int length : {2, 3, 4})
            QTest::addRow("%d letters", length) << length;
    }
    void phoniesLookLikeWords()
    {
        QFETCH(int, length);
        Drill d(qEnvironmentVariable("LEXITOR_PROGRAM_DIR") + QStringLiteral("/dbWords.mdb"));
        const BigramJudge judge(d.store.words(length));
        StudyEngine engine(d.store, d.history, d.clock, d.random, {20, {length}});
        QList<double> times;
        const QStringList phonies = d.nonWords(engine, 300, times);
        QStringList written;
        for (int n = 0; n < 1000; ++n)
            written.append(GenerateWordNotInDb(length, d.store, d.random));
        const double share = judge.wordLikeShare(phonies);
        const auto different = QSet<QString>(phonies.begin(), phonies.end()).size();
        const qsizetype wordLike = differentWordLike(judge, phonies);
        qInfo("%d letters: %.0f %% of %lld study non-words word-like (%lld different, %lld of them "
              "word-like), %.0f %% of the written tests'; a study question %.2f ms (median), the "
              "first %.2f ms",
              length, share, phonies.size(), different, wordLike, judge.wordLikeShare(written),
              median(times), times.first());
        if (length > 2) {
            QVERIFY(share >= 75);
            return;
        }
        const QStringList few = wordLikeTwoLetterNonWords(judge, d.store.words(2));
        qInfo("2 letters: the judge finds %lld non-words word-like", few.size());
        QVERIFY(different >= 60);
        QCOMPARE(wordLike, few.size());
    }

    // With 32,767 words of a length, three phonies within a frame, the first (which builds the
    // model of the length) included; a whole study question's time is shown beside them.
    void questionWithinAFrame()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("dbWords.mdb"));
        WordDatabase::write(path, WordDatabase::sequentialWords(3, 4000) +
                                      WordDatabase::sequentialWords(4, 32767));
        Drill d(path);
        const QHash<int, QStringList> lists{{4, d.store.words(4)}};
        const WordPlaces words(lists);
        Phonies phonies(lists, words);
        QList<double> making;
        for (int n = 0; n < 100; ++n) {
            QElapsedTimer timer;
            timer.start();
            phonies.make(4, 3, {}, d.random);
            making.append(double(timer.nsecsElapsed()) / 1e6);
        }
        StudyEngine engine(d.store, d.history, d.clock, d.random, {20, {3, 4}});
        QList<double> times;
        d.nonWords(engine, 100, times);
        qInfo("32,767 words: three phonies %.3f ms (median), the first %.2f ms; a study question "
              "%.2f ms (median), %.2f ms at most, the first %.2f ms",
              median(making), making.first(), median(times),
              *std::max_element(times.begin(), times.end()), times.first());
        QVERIFY(making.first() < FrameMs && median(making) < FrameMs);
    }
};

QTEST_GUILESS_MAIN(PhoniesBench)
#include "bench_phonies.moc"
