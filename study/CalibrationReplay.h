#pragma once

#include "study/Calibration.h"

#include <cstddef>
#include <vector>

namespace Calibration {

// The graded answers of a history, compacted to 12 bytes each and kept in time order, so that
// the fit can replay them many times over with trial weights without reading them again.
class Replay
{
public:
    // Reads the answers once. When they grade more than maxEvents words, only the whole
    // histories of a fixed pseudo-random subset of the words are kept, about maxEvents gradings
    // in all: the weights are shared by every word, so a large random subset tells as much
    // about them as the whole, and each kept word still replays exactly. A replay calls the
    // checkpoint, if any, every few thousand gradings.
    Replay(const AnswerStream& answers, const MemoryPolicy& policy, std::size_t maxEvents,
           Checkpoint checkpoint = {});

    std::size_t size() const { return events_.size(); }
    // Gradings a day or more after the word's previous one: the ones whose outcome is scored.
    int scored(std::size_t begin, std::size_t end) const;
    // Where the last `share` of the scored gradings begins.
    std::size_t laterPart(double share) const;
    // Whether each scored grading in [begin, end) was right, in order.
    std::vector<char> outcomes(std::size_t begin, std::size_t end) const;
    // Replays the gradings before `end` with these weights and returns, for each scored one
    // from `begin` on, the predicted chance of a right answer: P = R + (1 - R) g.
    std::vector<double> predict(const Fsrs::Weights& weights, std::size_t begin,
                                std::size_t end) const;

private:
    struct Event
    {
        quint32 word : 28;
        quint32 right : 1;
        quint32 scored : 1;
        quint32 guess : 2; // index into guessChances_
        qint32 seconds;    // since the first answer
        qint32 day;        // study days since the first answer's
    };
    static_assert(sizeof(Event) == 12);

    void read(const AnswerStream& answers, const MemoryPolicy& policy);
    quint32 guessIndex(double chance);
    void keepSomeWords(std::size_t maxEvents);

    Checkpoint checkpoint_;
    std::vector<Event> events_;
    quint32 words_ = 0;
    std::array<double, 4> guessChances_{};
    int guessCount_ = 0;
    double priorRecall_ = 0.0;
};

} // namespace Calibration
