// lexitor-drill: runs the study engine over a line protocol on standard input and output.
//
//   NEXT        -> Q <valid|invalid> <n> <W1> <W2> <W3> <W4>
//   1..4        -> A <k_right> <WORD_RIGHT>       (answers the last question)
//   WAIT <h>    -> OK                             (moves the clock h hours on, 0 < h <= 87600)
//   STATS       -> S <seen> <due> <learned>
//   MEAN <w>    -> M <WORD> <meaning>, or M <WORD> - when the list gives it none
//   QUIT or end of input: exit 0; anything else -> E <message>
//
// A reply never repeats more than 60 characters of what it was sent (a longer one ends in ...),
// and writes its control characters out (\x1b, \u2028): one reply is always one line that
// does nothing to a terminal. A meaning shows its control characters as spaces.
//
// On the player's own history the clock is the real one, and WAIT is refused: it would stamp
// their answers in the future. On a history named with --history (or none, in uniform mode) the
// clock starts at the real time, or with --seed at 12:00 local time of the day the run starts (a
// day later for each day the history already reaches), and then moves only by WAIT and by
// 10 seconds per answer, so a run with --seed is the same whenever it starts.

#include "base/ErrorReporting.h"
#include "base/PlainText.h"
#include "base/Random.h"
#include "base/Settings.h"
#include "study/History.h"
#include "study/StudyEngine.h"
#include "words/WordStore.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>

#include <cmath>
#include <cstdio>
#include <iostream>
#include <optional>
#include <string>
#include <variant>

namespace {

constexpr qint64 SecondsPerAnswer = 10;
constexpr double MaxWaitHours = 87600.0; // ten years
constexpr qsizetype MaxQuoted = 60;      // characters of a request a reply repeats

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

// The real clock, or one that moves only when told.
class DrillClock : public WallClock
{
public:
    QDateTime nowUtc() const override { return real ? QDateTime::currentDateTimeUtc() : now; }
    bool real = false;
    QDateTime now = QDateTime::currentDateTimeUtc();
};

// 12:00 local time of today, or of the first day after every answer already in the history.
QDateTime seededStart(const History& history)
{
    QDateTime latest;
    for (const WordMemory& m : history.words())
        for (const QDateTime& at : {m.lastReview, m.lastConfused})
            if (at.isValid() && (!latest.isValid() || at > latest))
                latest = at;
    QDateTime start(QDate::currentDate(), QTime(12, 0));
    while (latest.isValid() && start <= latest)
        start = start.addDays(1);
    return start.toUTC();
}

// A request, or a part of one, as a reply repeats it: its first MaxQuoted characters, and "..."
// when there were more, control characters written out (\x1b, \u2028).
QString quoted(const QString& request)
{
    return PlainText::escaped(PlainText::shortened(request, MaxQuoted));
}

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

// What the command line asks for.
struct Options
{
    StudySettings settings;
    QString wordsPath;
    QString historyPath;
    bool ownHistory = false; // the player's own history: the real clock, no WAIT
    std::optional<quint64> seed;
    bool leitner = false;
};

const char* const Description =
    "Drills the short words on standard input and output, with the trainer's study engine. "
    "Requests, one a line: NEXT, 1-4 (the answer), WAIT <hours>, STATS, MEAN <word>, QUIT.\n"
    "On your own history the clock is the real one and WAIT is refused. With --history "
    "the clock starts at the real time, or with --seed at 12:00 local time of the day the run "
    "starts (a day later for each day the history already reaches), and moves only by WAIT "
    "(0 < hours <= 87600) and 10 s per answer: the same seed and requests give the same "
    "replies whenever the run starts.";

// Word lengths joined by commas; nullopt when one is not 2, 3 or 4.
std::optional<QList<int>> parseLengths(const QString& text)
{
    QList<int> lengths;
    for (const QString& part : text.split(QLatin1Char(','))) {
        bool ok = false;
        const int n = part.trimmed().toInt(&ok);
        if (!ok || n < 2 || n > 4)
            return std::nullopt;
        lengths.append(n);
    }
    return lengths;
}

const QString OrderOption = QStringLiteral("order");

QCommandLineOption orderOption()
{
    return QCommandLineOption(
        OrderOption,
        QStringLiteral("shortest (each length's new words before the next's) or mixed; "
                       "mixed with --scheduler leitner unless given."),
        QStringLiteral("ORDER"), studyOrderName(StudySettings().order));
}

// Sets the order new words come in from --order; false (after saying why) when it names none.
// The Leitner baseline brings them in as the trainer always did, so that comparisons with it
// stay fair.
bool readOrder(const QCommandLineParser& parser, Options& options)
{
    const std::optional<StudyOrder> order = studyOrderNamed(parser.value(OrderOption));
    if (!order) {
        error(QStringLiteral("--order must be shortest or mixed"));
        return false;
    }
    options.settings.order =
        options.leitner && !parser.isSet(OrderOption) ? StudyOrder::Mixed : *order;
    return true;
}

const QString NewPerDayOption = QStringLiteral("new-per-day");

QCommandLineOption newPerDayOption()
{
    return QCommandLineOption(NewPerDayOption,
                              QStringLiteral("New words a day in study mode, fixed (default: Auto, "
                                             "20 at 150 answers a day, at most 50)."),
                              QStringLiteral("N"), QString::number(StudySettings().newPerDay));
}

// Sets the pace of new words from --new-per-day; false (after saying why) when it is no count.
// Without it the pace is Auto, as in the trainer; the Leitner baseline keeps the fixed default.
bool readNewPerDay(const QCommandLineParser& parser, StudySettings& settings)
{
    bool ok = false;
    settings.newPerDay = parser.value(NewPerDayOption).toInt(&ok);
    if (!ok || settings.newPerDay < 0) {
        error(QStringLiteral("--new-per-day takes a whole number, 0 or more"));
        return false;
    }
    settings.autoPace = !parser.isSet(NewPerDayOption);
    settings.newPerDayCap = StudyPreferences::DefaultNewPerDayCap;
    return true;
}

// The options, or the exit code of a usage error (after saying what is wrong).
std::variant<Options, int> parseOptions(const QCoreApplication& app)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromUtf8(Description));
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
    const QCommandLineOption seed(QStringLiteral("seed"),
                                  QStringLiteral("Seed of the random choices, for a repeatable "
                                                 "run."),
                                  QStringLiteral("N"));
    const QCommandLineOption scheduler(
        QStringLiteral("scheduler"),
        QStringLiteral("fsrs (the trainer's) or leitner (a plain baseline, for benchmarks)."),
        QStringLiteral("NAME"), QStringLiteral("fsrs"));
    parser.addOptions({words, history, mode, lengths, newPerDayOption(), seed, scheduler});
    parser.addOption(orderOption());
    parser.process(app);

    Options options;
    StudySettings& settings = options.settings;
    settings.backgroundFits = false; // a seeded run repeats exactly
    const QString modeName = parser.value(mode);
    if (modeName == QLatin1String("uniform")) {
        settings.mode = StudySettings::Mode::Uniform;
    } else if (modeName != QLatin1String("study")) {
        error(QStringLiteral("--mode must be study or uniform"));
        return 2;
    }
    const std::optional<QList<int>> lengthList = parseLengths(parser.value(lengths));
    if (!lengthList) {
        error(QStringLiteral("--lengths takes word lengths 2, 3 and 4, e.g. 2,3"));
        return 2;
    }
    settings.lengths = *lengthList;
    if (!readNewPerDay(parser, settings))
        return 2;
    bool ok = false;
    if (parser.isSet(seed)) {
        options.seed = parser.value(seed).toULongLong(&ok);
        if (!ok) {
            error(QStringLiteral("--seed takes a whole number"));
            return 2;
        }
    }
    options.leitner = parser.value(scheduler) == QLatin1String("leitner");
    if (!options.leitner && parser.value(scheduler) != QLatin1String("fsrs")) {
        error(QStringLiteral("--scheduler must be fsrs or leitner"));
        return 2;
    }
    if (!readOrder(parser, options))
        return 2;
    options.wordsPath = parser.isSet(words) ? parser.value(words) : bundledWords();
    // Uniform mode keeps no history unless one is named.
    options.historyPath = parser.value(history);
    options.ownHistory = !parser.isSet(history) && settings.mode == StudySettings::Mode::Study;
    if (options.ownHistory)
        options.historyPath = History::defaultPath();
    return options;
}

// One request's reply; quit is set by QUIT.
class Protocol
{
public:
    Protocol(const WordStore& store, History& history, StudyEngine& engine, DrillClock& clock)
        : store_(store), history_(history), engine_(engine), clock_(clock)
    {}

    QString reply(const QString& line)
    {
        const QStringList parts = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        const QString command = parts.value(0).toUpper();
        try {
            if (command == QLatin1String("QUIT") && parts.size() == 1) {
                quit = true;
                return QString();
            }
            if (command == QLatin1String("NEXT") && parts.size() == 1)
                return next();
            if (command == QLatin1String("STATS") && parts.size() == 1) {
                const StudyStats s = engine_.stats();
                return QStringLiteral("S %1 %2 %3").arg(s.seen).arg(s.due).arg(s.learned);
            }
            if (command == QLatin1String("WAIT") && parts.size() == 2)
                return wait(parts.at(1));
            if (command == QLatin1String("MEAN") && parts.size() == 2)
                return mean(parts.at(1).toUpper());
            if (parts.size() == 1 && command.size() == 1 && command.at(0) >= u'1' &&
                command.at(0) <= u'4')
                return answer(command.at(0).unicode() - u'1');
            return QStringLiteral("E unknown request: %1")
                .arg(line.isEmpty() ? QStringLiteral("(empty line)") : quoted(line));
        } catch (const AppError& e) {
            return QStringLiteral("E ") + e.description();
        }
    }
    bool quit = false;

private:
    QString next()
    {
        // A question left unanswered is asked again.
        if (!pending_) {
            StudyQuestion q = engine_.nextPractice();
            if (q.candidates.size() != 4)
                return QStringLiteral("E no words to drill");
            pending_ = q;
        }
        return question(*pending_);
    }
    QString answer(int chosenIndex)
    {
        if (!pending_)
            return QStringLiteral("E no question to answer: send NEXT first");
        pending_.reset();
        const StudyOutcome outcome = engine_.answer(chosenIndex);
        history_.flush(); // the reply comes once the answer is in the file
        if (!clock_.real)
            clock_.now = clock_.now.addSecs(SecondsPerAnswer);
        return QStringLiteral("A %1 %2").arg(outcome.rightIndex + 1).arg(outcome.rightWord);
    }
    QString mean(const QString& word) const
    {
        // A list imported before meanings were cleaned, or a rebuilt database, may still hold
        // control characters.
        const QString meaning = PlainText::cleaned(store_.meaning(word)).trimmed();
        return QStringLiteral("M %1 %2").arg(quoted(word),
                                             meaning.isEmpty() ? QStringLiteral("-") : meaning);
    }

    QString wait(const QString& amount)
    {
        if (clock_.real)
            return QStringLiteral("E WAIT needs --history: your own history keeps the real time");
        bool ok = false;
        const double hours = amount.toDouble(&ok);
        if (!ok || !std::isfinite(hours) || hours <= 0 || hours > MaxWaitHours)
            return QStringLiteral("E WAIT takes a number of hours, more than 0 and at most 87600");
        clock_.now = clock_.now.addMSecs(qint64(std::llround(hours * 3600.0 * 1000.0)));
        return QStringLiteral("OK");
    }

    const WordStore& store_;
    History& history_;
    StudyEngine& engine_;
    DrillClock& clock_;
    std::optional<StudyQuestion> pending_;
};

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("lexitor-drill"));
    QCoreApplication::setApplicationVersion(QStringLiteral(LEXITOR_VERSION));
    const std::variant<Options, int> parsed = parseOptions(app);
    if (const int* code = std::get_if<int>(&parsed))
        return *code;
    const Options& options = std::get<Options>(parsed);

    StderrMessages messages;
    SeededRandom random(options.seed.value_or(quint64(QDateTime::currentMSecsSinceEpoch())));
    WordStore store(random);
    try {
        store.create();
        store.open(options.wordsPath);
    } catch (const AppError& e) {
        error(QStringLiteral("cannot open %1: %2").arg(options.wordsPath, e.description()));
        return 1;
    }
    MemoryPolicy policy;
    policy.leitner = options.leitner;
    History log(messages, options.historyPath, policy);
    log.open();
    if (log.isForeign()) {
        error(QStringLiteral("%1 is another program's database, not a study history")
                  .arg(options.historyPath));
        return 2;
    }
    DrillClock clock;
    clock.real = options.ownHistory;
    if (options.seed && !clock.real)
        clock.now = seededStart(log);

    std::optional<StudyEngine> engine;
    try {
        engine.emplace(store, log, clock, random, options.settings);
    } catch (const AppError& e) {
        error(QStringLiteral("cannot read %1: %2").arg(options.wordsPath, e.description()));
        return 1;
    }
    Protocol protocol(store, log, *engine, clock);
    std::string raw;
    while (!protocol.quit && std::getline(std::cin, raw)) {
        const QString reply =
            protocol.reply(QString::fromUtf8(raw.data(), qsizetype(raw.size())).trimmed());
        if (!protocol.quit)
            print(stdout, reply);
    }
    return 0;
}
