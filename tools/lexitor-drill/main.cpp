// lexitor-drill: runs the study engine over a line protocol on standard input and output.
//
//   NEXT        -> Q <valid|invalid> <n> <W1> <W2> <W3> <W4>
//   1..4        -> A <k_right> <WORD_RIGHT>       (answers the last question)
//   WAIT <h>    -> OK                             (moves the clock h hours on)
//   STATS       -> S <seen> <due> <learned>
//   QUIT or end of input: exit 0; anything else -> E <message>
//
// The clock starts at the real time and then moves only by WAIT and by 10 seconds per answer,
// so a run with --seed is the same every time.

#include "ErrorReporting.h"
#include "History.h"
#include "Random.h"
#include "StudyEngine.h"
#include "WordStore.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>

#include <cstdio>
#include <iostream>
#include <string>

namespace {

constexpr qint64 SecondsPerAnswer = 10;

void print(FILE* stream, const QString& text)
{
    const QByteArray bytes = text.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stream);
    std::fflush(stream);
}

void error(const QString& message)
{
    print(stderr, QCoreApplication::applicationName() + QStringLiteral(": ") + message);
}

// Messages of the history (damaged file, progress not saved) go to standard error, leaving
// standard output to the protocol.
class StderrMessages : public MessageBoxes
{
public:
    void show(const QString& text, const QString&, MessageIcon) override
    {
        QString line = text;
        line.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
        error(line.simplified());
    }
};

class DrillClock : public WallClock
{
public:
    QDateTime nowUtc() const override { return now; }
    QDateTime now = QDateTime::currentDateTimeUtc();
};

// A 64-bit generator (SplitMix64): the same seed, the same questions.
class SeededRandom : public RandomSource
{
public:
    explicit SeededRandom(quint64 seed) : state_(seed) {}
    float nextFraction() override
    {
        quint64 z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        z ^= z >> 31;
        return float(z >> 40) * (1.0f / 16777216.0f);
    }

private:
    quint64 state_;
};

// The bundled word database: beside the tool in the build, in the program folder once
// installed.
QString bundledWords()
{
    const QString dir = QCoreApplication::applicationDirPath();
    for (const QString& candidate : {dir + QStringLiteral("/dbWords.mdb"),
                                     dir + QStringLiteral("/../lib/lexitor-trainer/dbWords.mdb")})
        if (QFileInfo::exists(candidate))
            return QDir::cleanPath(candidate);
    return dir + QStringLiteral("/dbWords.mdb");
}

QString question(const StudyQuestion& q)
{
    return QStringLiteral("Q %1 %2 %3")
        .arg(q.validKind ? QStringLiteral("valid") : QStringLiteral("invalid"))
        .arg(q.length)
        .arg(q.candidates.join(QLatin1Char(' ')));
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("lexitor-drill"));
    QCoreApplication::setApplicationVersion(QStringLiteral(LEXITOR_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Drills the short words on standard input and output, with the trainer's "
                       "study engine. Requests, one a line: NEXT, 1-4 (the answer), WAIT <hours>, "
                       "STATS, QUIT."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption words(QStringLiteral("words"),
                                   QStringLiteral("The word database (default: the bundled one)."),
                                   QStringLiteral("DB"));
    const QCommandLineOption history(
        QStringLiteral("history"),
        QStringLiteral("The study history (default: the player's; none in uniform mode)."),
        QStringLiteral("FILE"));
    const QCommandLineOption mode(
        QStringLiteral("mode"),
        QStringLiteral("study (scheduled) or uniform (like the written tests)."),
        QStringLiteral("MODE"), QStringLiteral("study"));
    const QCommandLineOption lengths(QStringLiteral("lengths"),
                                     QStringLiteral("Word lengths to drill, e.g. 2,3."),
                                     QStringLiteral("LIST"), QStringLiteral("2,3,4"));
    const QCommandLineOption newPerDay(
        QStringLiteral("new-per-day"), QStringLiteral("New words a day in study mode."),
        QStringLiteral("N"), QString::number(StudySettings().newPerDay));
    const QCommandLineOption seed(QStringLiteral("seed"),
                                  QStringLiteral("Seed of the random choices, for a repeatable "
                                                 "run."),
                                  QStringLiteral("N"));
    const QCommandLineOption scheduler(
        QStringLiteral("scheduler"),
        QStringLiteral("fsrs (the trainer's) or leitner (a plain baseline, for benchmarks)."),
        QStringLiteral("NAME"), QStringLiteral("fsrs"));
    parser.addOptions({words, history, mode, lengths, newPerDay, seed, scheduler});
    parser.process(app);

    StudySettings settings;
    settings.backgroundFits = false; // a seeded run repeats exactly
    const QString modeName = parser.value(mode);
    if (modeName == QLatin1String("uniform")) {
        settings.mode = StudySettings::Mode::Uniform;
    } else if (modeName != QLatin1String("study")) {
        error(QStringLiteral("--mode must be study or uniform"));
        return 2;
    }
    settings.lengths.clear();
    for (const QString& part : parser.value(lengths).split(QLatin1Char(','))) {
        bool ok = false;
        const int n = part.trimmed().toInt(&ok);
        if (!ok || n < 2 || n > 4) {
            error(QStringLiteral("--lengths takes word lengths 2, 3 and 4, e.g. 2,3"));
            return 2;
        }
        settings.lengths.append(n);
    }
    bool ok = false;
    settings.newPerDay = parser.value(newPerDay).toInt(&ok);
    if (!ok || settings.newPerDay < 0) {
        error(QStringLiteral("--new-per-day takes a whole number, 0 or more"));
        return 2;
    }
    quint64 seedValue = quint64(QDateTime::currentMSecsSinceEpoch());
    if (parser.isSet(seed)) {
        seedValue = parser.value(seed).toULongLong(&ok);
        if (!ok) {
            error(QStringLiteral("--seed takes a whole number"));
            return 2;
        }
    }

    StderrMessages messages;
    SeededRandom random(seedValue);
    DrillClock clock;
    WordStore store(random);
    const QString wordsPath = parser.isSet(words) ? parser.value(words) : bundledWords();
    try {
        store.create();
        store.open(wordsPath);
    } catch (const AppError& e) {
        error(QStringLiteral("cannot open %1: %2").arg(wordsPath, e.description()));
        return 1;
    }
    // Uniform mode keeps no history unless one is named.
    QString historyPath = parser.value(history);
    if (!parser.isSet(history) && settings.mode == StudySettings::Mode::Study)
        historyPath = History::defaultPath();
    MemoryPolicy policy;
    if (parser.value(scheduler) == QLatin1String("leitner")) {
        policy.leitner = true;
    } else if (parser.value(scheduler) != QLatin1String("fsrs")) {
        error(QStringLiteral("--scheduler must be fsrs or leitner"));
        return 2;
    }
    History log(messages, historyPath, policy);

    std::optional<StudyEngine> engine;
    try {
        engine.emplace(store, log, clock, random, settings);
    } catch (const AppError& e) {
        error(QStringLiteral("cannot read %1: %2").arg(wordsPath, e.description()));
        return 1;
    }

    std::optional<StudyQuestion> pending;
    std::string raw;
    while (std::getline(std::cin, raw)) {
        const QString line = QString::fromUtf8(raw.data(), qsizetype(raw.size())).trimmed();
        const QStringList parts = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        const QString command = parts.value(0).toUpper();
        try {
            if (command == QLatin1String("QUIT") && parts.size() == 1) {
                break;
            } else if (command == QLatin1String("NEXT") && parts.size() == 1) {
                // A question left unanswered is asked again.
                if (!pending) {
                    StudyQuestion q = engine->nextPractice();
                    if (q.candidates.size() != 4) {
                        print(stdout, QStringLiteral("E no words to drill"));
                        continue;
                    }
                    pending = q;
                }
                print(stdout, question(*pending));
            } else if (command == QLatin1String("STATS") && parts.size() == 1) {
                const StudyStats s = engine->stats();
                print(stdout, QStringLiteral("S %1 %2 %3").arg(s.seen).arg(s.due).arg(s.learned));
            } else if (command == QLatin1String("WAIT") && parts.size() == 2) {
                const double hours = parts.at(1).toDouble(&ok);
                if (!ok || hours < 0 || hours > 24.0 * 36500) {
                    print(stdout, QStringLiteral("E WAIT takes a number of hours, 0 or more"));
                    continue;
                }
                clock.now = clock.now.addMSecs(qint64(hours * 3600.0 * 1000.0));
                print(stdout, QStringLiteral("OK"));
            } else if (parts.size() == 1 && command.size() == 1 && command.at(0) >= u'1' &&
                       command.at(0) <= u'4') {
                if (!pending) {
                    print(stdout, QStringLiteral("E no question to answer: send NEXT first"));
                    continue;
                }
                pending.reset();
                const StudyOutcome outcome = engine->answer(command.at(0).unicode() - u'1');
                clock.now = clock.now.addSecs(SecondsPerAnswer);
                print(stdout,
                      QStringLiteral("A %1 %2").arg(outcome.rightIndex + 1).arg(outcome.rightWord));
            } else {
                print(stdout, QStringLiteral("E unknown request: %1")
                                  .arg(line.isEmpty() ? QStringLiteral("(empty line)") : line));
            }
        } catch (const AppError& e) {
            print(stdout, QStringLiteral("E ") + e.description());
        }
    }
    return 0;
}
