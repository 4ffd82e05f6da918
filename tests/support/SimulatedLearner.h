#pragma once

#include "study/AnswerRecorder.h"
#include "study/Fsrs.h"

#include <QList>

#include <functional>

// A scripted player whose memory follows the FSRS model with the given weights. Each day it
// answers the words that came due (a review comes back after a random share of its stability,
// so answers are spread over the forgetting curve) and then new words, up to a day's quota.
// Every answer is a choose-the-valid question: the player recalls the word with probability R
// (a new word: it knew it before with probability knownBefore) and otherwise guesses among the
// four, right once in four. What it learns follows recall, not luck: Good when it recalled the
// word, Again when it did not.
struct SimulatedLearner
{
    Fsrs::Weights weights = Fsrs::defaultWeights();
    int words = 400;
    int answersPerDay = 60;
    quint64 seed = 1;
    // The share of words known before their first answer.
    double knownBefore = 0.3;

    // Calls sink with the first `answers` answers, oldest first, starting on `firstDay`.
    void play(int answers, const std::function<void(const AnswerRecord&)>& sink,
              QDate firstDay = QDate(2024, 1, 1)) const;
    QList<AnswerRecord> answers(int answers, QDate firstDay = QDate(2024, 1, 1)) const;

    // The answer to a choose-the-valid question on `word`, right or wrong.
    static AnswerRecord answer(const QString& word, bool right, const QDateTime& at);
};
