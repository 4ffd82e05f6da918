#include "study/WaitingAnswers.h"

#include <algorithm>

QList<AnswerRecord> WaitingAnswers::queuedAnswers() const
{
    QList<AnswerRecord> answers;
    answers.reserve(queued.size());
    for (const Queued& q : queued)
        answers.append(q.answer);
    return answers;
}

QList<AnswerRecord> WaitingAnswers::unwritten() const
{
    return unsaved + queuedAnswers();
}

QSet<QString> WaitingAnswers::heldWords() const
{
    QSet<QString> held;
    for (const Undo& u : undos)
        for (const QString& word : u.words)
            held.insert(word);
    return held;
}

void WaitingAnswers::writtenThrough(qint64 seq)
{
    const auto done = [&](const auto& item) { return item.seq <= seq; };
    queued.removeIf(done);
    undos.removeIf(done);
}

void WaitingAnswers::forgetWrittenLast()
{
    if (last && last->queued && std::none_of(queued.cbegin(), queued.cend(), [&](const Queued& q) {
            return q.seq == last->seq;
        }))
        last.reset();
}

void WaitingAnswers::clear()
{
    queued.clear();
    undos.clear();
    unsaved.clear();
    last.reset();
}
