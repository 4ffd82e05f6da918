#include "study/PaceForecast.h"

#include "base/Random.h"
#include <QtGlobal>

#include <algorithm>
#include <cmath>

namespace PaceForecast {

namespace {

constexpr double Tolerance = 0.001;
constexpr int WordsPerAnswer = 3; // a choose-the-invalid question reviews three

// A word in the simulation: its state and, in days from the start of today, its last review and
// the day it falls due.
struct SimWord
{
    Fsrs::MemoryState state;
    double last = 0.0;
    int due = 0;
};

// One run of the days at one pace. A question shows three words (fewer when fewer are left): the
// player answers it right when each is recalled or its fake is spotted or guessed around it, and
// then all three are graded right; else the first word missed is graded wrong, and the other two,
// not graded, come back in the next question. New words come in the same way, three a question.
class Simulation
{
public:
    Simulation(const Inputs& in, const MemoryPolicy& policy, quint64 seed, double scale)
        : policy_(policy), model_(policy.model), random_(seed),
          guess_(policy.guessChanceAmongThree()), scale_(scale),
          answersPerDay_(int(std::lround(in.answersPerDay))), fresh_(in.freshLeft)
    {
        words_.reserve(in.seen.size() + std::size_t(std::max(0, in.freshLeft)));
        for (const Word& w : in.seen)
            words_.push_back({{w.stability, w.difficulty}, -w.sinceDays, std::max(0, w.dueInDays)});
    }

    // The expected number of words recalled at the end of the days.
    double run(int pace)
    {
        for (int day = 0; day < Days; ++day)
            runDay(day, pace);
        double recalled = 0.0;
        for (const SimWord& w : words_)
            recalled += recall(w, Days);
        return recalled;
    }

    // The share of questions answered right over the first `days` days at this pace.
    double rightShare(int pace, int days)
    {
        for (int day = 0; day < days; ++day)
            runDay(day, pace);
        return asked_ > 0 ? double(right_) / asked_ : 1.0;
    }

private:
    bool draw(double chance) { return double(random_.nextFraction()) < chance; }

    // The due words, most overdue first, with new words every other question up to the pace (as
    // the engine mixes them in), then the new words left.
    void runDay(int day, int pace)
    {
        due_.clear();
        for (std::size_t i = 0; i < words_.size(); ++i)
            if (words_[i].due <= day)
                due_.push_back(i);
        std::stable_sort(due_.begin(), due_.end(), [this](std::size_t a, std::size_t b) {
            return words_[a].due < words_[b].due;
        });
        int introduced = 0;
        bool newTurn = false;
        for (std::size_t next = 0, answers = std::size_t(std::max(0, answersPerDay_)); answers > 0;
             --answers, newTurn = !newTurn) {
            const bool fresh = introduced < pace && fresh_ > 0;
            if (fresh && (newTurn || next >= due_.size()))
                introduced += newQuestion(std::min({3, pace - introduced, fresh_}), day);
            else if (next < due_.size())
                next = reviewQuestion(next, day);
            else
                break;
        }
    }

    // A question on due_[next] and the two after it; the index of the next question's first.
    std::size_t reviewQuestion(std::size_t next, int day)
    {
        const std::size_t end = std::min(due_.size(), next + 3);
        std::size_t missed = end;
        for (std::size_t i = next; i < end && missed == end; ++i)
            if (!draw(passChance(words_[due_[i]], day)))
                missed = i;
        tally(missed == end);
        if (missed == end) {
            for (std::size_t i = next; i < end; ++i)
                review(words_[due_[i]], day, true);
            return end;
        }
        review(words_[due_[missed]], day, false);
        std::rotate(due_.begin() + std::ptrdiff_t(next), due_.begin() + std::ptrdiff_t(missed),
                    due_.begin() + std::ptrdiff_t(missed) + 1);
        return next + 1;
    }

    // The player's recall of the word: the model's, with the stability scaled to the player's.
    double recall(const SimWord& w, int day) const
    {
        return model_.retrievability((double(day) - w.last) / scale_, w.state.stability);
    }

    double passChance(const SimWord& w, int day) const
    {
        const double p = recall(w, day);
        return p + (1.0 - p) * guess_;
    }

    void tally(bool right)
    {
        ++asked_;
        right_ += right ? 1 : 0;
    }

    void settle(SimWord& w, const Fsrs::MemoryState& next, int day)
    {
        w.state = next;
        w.last = day;
        w.due = day + model_.intervalDays(next.stability, policy_.desiredRetention);
    }

    void review(SimWord& w, int day, bool right)
    {
        const double elapsed = double(day) - w.last;
        // The engine grades by its own model, whatever the player truly recalls.
        const double believed = model_.retrievability(elapsed, w.state.stability);
        settle(w,
               MemoryPolicy::graded(model_, w.state, believed, right, guess_,
                                    int(std::lround(elapsed))),
               day);
    }

    // A question on `count` new words: all of them in when it is right, else the one missed.
    int newQuestion(int count, int day)
    {
        const double prior = policy_.priorRecallOfNewWord;
        bool right = true;
        for (int i = 0; i < count && right; ++i)
            right = draw(prior + (1.0 - prior) * guess_);
        tally(right);
        const int in = right ? count : 1;
        for (int i = 0; i < in; ++i) {
            SimWord w;
            settle(w, MemoryPolicy::graded(model_, std::nullopt, prior, right, guess_, 0), day);
            words_.push_back(w);
        }
        fresh_ -= in;
        return in;
    }

    const MemoryPolicy& policy_;
    const Fsrs::Model& model_;
    SeededRandom random_;
    const double guess_;
    const double scale_; // the player's stability as a share of the model's
    const int answersPerDay_;
    int asked_ = 0;
    int right_ = 0;
    int fresh_;
    std::vector<SimWord> words_;
    std::vector<std::size_t> due_;
};

} // namespace

Inputs inputs(const QHash<QString, WordMemory>& states, const PaceRequest& request,
              double answersPerDay)
{
    Inputs in;
    in.cap = request.cap;
    in.answersPerDay = answersPerDay;
    // In the order of the words, whatever the hash's: the same states, the same draws.
    std::vector<const WordMemory*> graded;
    for (const WordMemory& m : states)
        if (m.valid && !m.isNew() && request.lengths.contains(int(m.word.size())))
            graded.push_back(&m);
    std::sort(graded.begin(), graded.end(),
              [](const WordMemory* a, const WordMemory* b) { return a->word < b->word; });
    for (const WordMemory* word : graded) {
        const WordMemory& m = *word;
        Word w;
        w.stability = m.memory->stability;
        w.difficulty = m.memory->difficulty;
        w.sinceDays = std::max<qint64>(0, m.lastReview.msecsTo(request.now)) / 86'400'000.0;
        w.dueInDays = m.due.isValid() && m.due > request.now
                          ? MemoryPolicy::daysBetween(request.now, m.due)
                          : 0;
        in.seen.push_back(w);
    }
    in.freshLeft = std::max(0, request.listWords - int(in.seen.size()));
    return in;
}

QList<qsizetype> recentDays(const QList<int>& answersByDay)
{
    constexpr int Recent = 7;
    QList<qsizetype> days;
    for (qsizetype i = answersByDay.size() - 2; i >= 0 && days.size() < Recent; --i)
        if (answersByDay[i] > 0)
            days.append(i);
    if (days.isEmpty() && !answersByDay.isEmpty())
        days.append(answersByDay.size() - 1);
    return days;
}

double recentAnswersPerDay(const QList<int>& answersByDay)
{
    const QList<qsizetype> days = recentDays(answersByDay);
    double sum = 0.0;
    for (qsizetype i : days)
        sum += answersByDay[i];
    return days.isEmpty() ? 0.0 : sum / double(days.size());
}

void takeRecent(Inputs& in, const QList<Day>& days, const QHash<QString, WordMemory>& states,
                const QList<int>& lengths)
{
    QList<int> answers;
    for (const Day& d : days)
        answers.append(d.answers);
    const QList<qsizetype> recent = recentDays(answers);
    in.answersPerDay = recentAnswersPerDay(answers);
    int asked = 0;
    int right = 0;
    QList<QDate> picked;
    for (qsizetype i : recent) {
        asked += days[i].answers;
        right += days[i].right;
        picked.append(days[i].day);
    }
    in.rightShare = asked > 0 ? double(right) / asked : -1.0;
    int fresh = 0;
    for (const WordMemory& m : states)
        if (m.valid && m.firstReview.isValid() && lengths.contains(int(m.word.size())) &&
            picked.contains(MemoryPolicy::studyDay(m.firstReview)))
            ++fresh;
    in.newPerDay = picked.isEmpty() ? 0.0 : double(fresh) / double(picked.size());
}

double memoryScale(const Inputs& in, const MemoryPolicy& policy, quint64 seed)
{
    constexpr double Lowest = 0.02;
    constexpr int Halvings = 10;
    if (in.rightShare < 0.0 || in.seen.empty())
        return 1.0;
    const int pace = int(std::lround(in.newPerDay));
    const auto share = [&](double scale) {
        return Simulation(in, policy, seed, scale).rightShare(pace, CheckDays);
    };
    if (share(1.0) <= in.rightShare)
        return 1.0;
    if (share(Lowest) >= in.rightShare)
        return Lowest;
    double low = std::log(Lowest);
    double high = 0.0;
    for (int i = 0; i < Halvings; ++i) {
        const double mid = (low + high) / 2.0;
        (share(std::exp(mid)) > in.rightShare ? high : low) = mid;
    }
    return std::exp((low + high) / 2.0);
}

double recalledAtEnd(const Inputs& in, const MemoryPolicy& policy, int pace, quint64 seed)
{
    return Simulation(in, policy, seed, memoryScale(in, policy, seed)).run(pace);
}

double held(const Inputs& in, const MemoryPolicy& policy, double scale)
{
    if (in.seen.empty())
        return 1.0;
    double sum = 0.0;
    for (const Word& w : in.seen)
        sum += policy.model.retrievability(w.sinceDays / scale, w.stability);
    return sum / double(in.seen.size());
}

PaceFigure choose(const Inputs& in, const MemoryPolicy& policy, quint64 seed)
{
    PaceFigure figure;
    figure.scale = memoryScale(in, policy, seed);
    figure.held = held(in, policy, figure.scale);
    const int cap = std::max(0, in.cap);
    std::vector<std::pair<int, double>> runs;
    for (int pace = 0;; pace = std::min(cap, pace + Step)) {
        runs.emplace_back(pace, Simulation(in, policy, seed, figure.scale).run(pace));
        if (pace == cap)
            break;
    }
    // Once the fresh words run out within the Days, faster paces only bring them in sooner and
    // differ by the draws alone: the lowest pace within a word in a thousand of the best.
    double best = 0.0;
    for (const auto& [pace, run] : runs)
        best = std::max(best, run);
    for (auto it = runs.rbegin(); it != runs.rend(); ++it)
        if (it->second >= best * (1.0 - Tolerance))
            figure.pace = it->first;
    // No more than today leaves after the words due now, three words an answer.
    const auto dueNow = std::count_if(in.seen.begin(), in.seen.end(),
                                      [](const Word& w) { return w.dueInDays <= 0; });
    const double left = in.answersPerDay * WordsPerAnswer - double(dueNow);
    if (!qEnvironmentVariableIsSet("NOCLAMP")) figure.pace = std::min(figure.pace, std::max(0, int(left)));
    return figure;
}

} // namespace PaceForecast
