#include "study/CalibrationReplay.h"

#include "base/Random.h"

#include <QHash>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

namespace Calibration {

namespace {

// Every time zone and daylight-saving shift is a whole number of quarter hours from UTC, so all
// moments of one UTC quarter hour fall on the same study day: one calendar lookup per quarter
// hour instead of one per answer.
constexpr qint64 QuarterHourMs = 15 * 60 * 1000;

constexpr quint32 MaxWords = (1u << 28) - 1;

// A replay asks whether to stop this often: a few milliseconds of work.
constexpr std::size_t GradingsBetweenCheckpoints = 1024;

bool wellFormed(const AnswerRecord& a)
{
    return a.candidates.size() == 4 && a.rightIndex >= 0 && a.rightIndex <= 3 &&
           a.chosenIndex >= 0 && a.chosenIndex <= 3;
}

// A fixed scramble of a word's number (one SplitMix64 step from it), to pick words independently
// of their order.
quint64 scramble(quint64 x)
{
    return SplitMix64(x);
}

qint32 narrow(qint64 value)
{
    return qint32(std::clamp<qint64>(value, std::numeric_limits<qint32>::min(),
                                     std::numeric_limits<qint32>::max()));
}

} // namespace

Replay::Replay(const AnswerStream& answers, const MemoryPolicy& policy, std::size_t maxEvents,
               Checkpoint checkpoint)
    : checkpoint_(std::move(checkpoint)), priorRecall_(policy.priorRecallOfNewWord)
{
    read(answers, policy);
    if (events_.size() > maxEvents)
        keepSomeWords(maxEvents);
    events_.shrink_to_fit();
}

void Replay::read(const AnswerStream& answers, const MemoryPolicy& policy)
{
    QHash<QString, quint32> ids;
    std::vector<qint32> lastDay; // per word
    qint64 originMs = 0;
    qint64 originDay = 0;
    qint64 quarter = std::numeric_limits<qint64>::min();
    qint64 julianDay = 0;
    bool started = false;
    answers([&](const AnswerRecord& a) {
        if (!wellFormed(a))
            return;
        const qint64 ms = a.at.toMSecsSinceEpoch();
        if (ms / QuarterHourMs != quarter) {
            quarter = ms / QuarterHourMs;
            julianDay = MemoryPolicy::studyDay(a.at).toJulianDay();
        }
        if (!started) {
            started = true;
            originMs = ms;
            originDay = julianDay;
        }
        const qint32 seconds = narrow((ms - originMs) / 1000);
        const qint32 day = narrow(julianDay - originDay);
        for (const MemoryPolicy::Grading& g : policy.gradings(a)) {
            auto it = ids.constFind(g.word);
            if (it == ids.constEnd()) {
                if (words_ == MaxWords)
                    continue;
                it = ids.insert(g.word, words_++);
                lastDay.push_back(std::numeric_limits<qint32>::max());
            }
            qint32& last = lastDay[*it];
            const bool scored = last != std::numeric_limits<qint32>::max() && day > last;
            last = day;
            events_.push_back({*it, g.right ? 1u : 0u, scored ? 1u : 0u, guessIndex(g.guessChance),
                               seconds, day});
        }
    });
}

quint32 Replay::guessIndex(double chance)
{
    for (int i = 0; i < guessCount_; ++i)
        if (guessChances_[std::size_t(i)] == chance)
            return quint32(i);
    if (guessCount_ < int(guessChances_.size())) {
        guessChances_[std::size_t(guessCount_)] = chance;
        return quint32(guessCount_++);
    }
    // More kinds of question than ever graded today: the nearest chance known.
    const auto nearest =
        std::min_element(guessChances_.begin(), guessChances_.end(), [chance](double a, double b) {
            return std::abs(a - chance) < std::abs(b - chance);
        });
    return quint32(nearest - guessChances_.begin());
}

void Replay::keepSomeWords(std::size_t maxEvents)
{
    std::vector<quint32> count(words_, 0);
    for (const Event& e : events_)
        ++count[e.word];
    std::vector<quint32> order(words_);
    std::iota(order.begin(), order.end(), 0u);
    std::sort(order.begin(), order.end(),
              [](quint32 a, quint32 b) { return scramble(a) < scramble(b); });
    constexpr quint32 Dropped = std::numeric_limits<quint32>::max();
    std::vector<quint32> renumbered(words_, Dropped);
    std::size_t kept = 0;
    quint32 next = 0;
    for (quint32 word : order) {
        if (kept >= maxEvents)
            break;
        renumbered[word] = next++;
        kept += count[word];
    }
    std::erase_if(events_, [&](const Event& e) { return renumbered[e.word] == Dropped; });
    for (Event& e : events_)
        e.word = renumbered[e.word];
    words_ = next;
}

int Replay::scored(std::size_t begin, std::size_t end) const
{
    return int(std::count_if(events_.begin() + std::ptrdiff_t(begin),
                             events_.begin() + std::ptrdiff_t(end),
                             [](const Event& e) { return e.scored; }));
}

std::size_t Replay::laterPart(double share) const
{
    const int total = scored(0, events_.size());
    const int earlier = total - int(std::ceil(total * share));
    int seen = 0;
    for (std::size_t i = 0; i < events_.size(); ++i) {
        if (seen == earlier)
            return i;
        seen += events_[i].scored;
    }
    return events_.size();
}

std::vector<char> Replay::outcomes(std::size_t begin, std::size_t end) const
{
    std::vector<char> list;
    for (std::size_t i = begin; i < end; ++i)
        if (events_[i].scored)
            list.push_back(char(events_[i].right));
    return list;
}

std::vector<double> Replay::predict(const Fsrs::Weights& weights, std::size_t begin,
                                    std::size_t end) const
{
    const Fsrs::Model model(weights);
    struct State
    {
        std::optional<Fsrs::MemoryState> memory;
        qint32 seconds = 0;
        qint32 day = 0;
    };
    std::vector<State> states(words_);
    std::vector<double> predictions;
    predictions.reserve(std::size_t(scored(begin, end)));
    for (std::size_t i = 0; i < end; ++i) {
        if (i % GradingsBetweenCheckpoints == 0 && checkpoint_)
            checkpoint_();
        const Event& e = events_[i];
        State& s = states[e.word];
        const double guess = guessChances_[e.guess];
        double prior = priorRecall_;
        if (s.memory)
            prior = model.retrievability((e.seconds - s.seconds) / 86'400.0, s.memory->stability);
        if (e.scored && i >= begin)
            predictions.push_back(prior + (1.0 - prior) * guess);
        const int elapsed = s.memory ? std::max(0, e.day - s.day) : 0;
        s.memory = MemoryPolicy::graded(model, s.memory, prior, e.right, guess, elapsed);
        s.seconds = e.seconds;
        s.day = e.day;
    }
    return predictions;
}

} // namespace Calibration
