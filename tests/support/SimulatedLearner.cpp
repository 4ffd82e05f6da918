#include "SimulatedLearner.h"

#include "study/MemoryPolicy.h"

#include <optional>
#include <queue>
#include <random>
#include <vector>

namespace {

struct Word
{
    std::optional<Fsrs::MemoryState> memory;
    int lastDay = 0;
};

} // namespace

AnswerRecord SimulatedLearner::answer(const QString& word, bool right, const QDateTime& at)
{
    AnswerRecord a;
    a.at = at;
    a.testKind = QStringLiteral("study");
    a.validKind = true;
    a.length = int(word.size());
    a.candidates = {word, QStringLiteral("QZX"), QStringLiteral("XQJ"), QStringLiteral("JQZ")};
    a.rightIndex = 0;
    a.chosenIndex = right ? 0 : 1;
    return a;
}

void SimulatedLearner::play(int answers, const std::function<void(const AnswerRecord&)>& sink,
                            QDate firstDay) const
{
    const Fsrs::Model model(weights);
    std::mt19937_64 random(seed);
    auto uniform = [&random] { return double(random() >> 11) * 0x1.0p-53; };
    std::vector<Word> memory(static_cast<std::size_t>(words));
    using Due = std::pair<int, int>; // day, word
    std::priority_queue<Due, std::vector<Due>, std::greater<>> due;
    int introduced = 0;
    int given = 0;
    for (int day = 0; given < answers; ++day) {
        const QDateTime start = MemoryPolicy::dayStart(firstDay.addDays(day)).addSecs(10 * 3600);
        int today = 0;
        auto ask = [&](int index) {
            Word& w = memory[std::size_t(index)];
            const int elapsed = w.memory ? day - w.lastDay : 0;
            const double recall =
                w.memory ? model.retrievability(elapsed, w.memory->stability) : knownBefore;
            const bool recalled = uniform() < recall;
            const bool right = recalled || uniform() < 0.25;
            w.memory = model.review(w.memory, recalled ? Fsrs::Rating::Good : Fsrs::Rating::Again,
                                    elapsed);
            w.lastDay = day;
            const int interval = std::max(1, int(w.memory->stability * (0.2 + 2.8 * uniform())));
            due.push({day + interval, index});
            sink(answer(QStringLiteral("W%1").arg(index), right, start.addSecs(10 * today)));
            ++today;
            ++given;
        };
        while (!due.empty() && due.top().first <= day && today < answersPerDay && given < answers) {
            const int index = due.top().second;
            due.pop();
            ask(index);
        }
        while (introduced < words && today < answersPerDay && given < answers)
            ask(introduced++);
    }
}

QList<AnswerRecord> SimulatedLearner::answers(int answers, QDate firstDay) const
{
    QList<AnswerRecord> list;
    list.reserve(answers);
    play(
        answers, [&list](const AnswerRecord& a) { list.append(a); }, firstDay);
    return list;
}
