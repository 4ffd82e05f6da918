#include "study/WordStates.h"

const WordMemory* WordStates::find(const QString& word) const
{
    const auto it = states_.constFind(word);
    return it == states_.constEnd() ? nullptr : &*it;
}

void WordStates::reset(QHash<QString, WordMemory> states, const MemoryPolicy& policy,
                       const QList<AnswerRecord>& unwritten)
{
    states_ = std::move(states);
    stale_ = false;
    for (const AnswerRecord& a : unwritten)
        policy.apply(states_, a);
}

void WordStates::apply(const MemoryPolicy& policy, const AnswerRecord& answer)
{
    policy.apply(states_, answer);
}

void WordStates::replaceWords(const QHash<QString, WordMemory>& fresh, const QStringList& words)
{
    for (const QString& word : words) {
        if (const auto it = fresh.constFind(word); it != fresh.constEnd())
            states_.insert(word, *it);
        else
            states_.remove(word);
    }
}

void WordStates::rebase(const QHash<QString, WordMemory>& base, const QSet<QString>& words,
                        const QSet<QString>& held, const MemoryPolicy& policy,
                        const QList<AnswerRecord>& unwritten)
{
    QHash<QString, WordMemory> fresh;
    for (const QString& word : words)
        if (!held.contains(word))
            if (const auto it = base.constFind(word); it != base.constEnd())
                fresh.insert(word, *it);
    for (const AnswerRecord& answer : unwritten)
        for (const QString& word : MemoryPolicy::touchedWords(answer))
            if (words.contains(word) && !held.contains(word)) {
                policy.apply(fresh, answer);
                break;
            }
    for (const QString& word : words) {
        if (held.contains(word))
            continue;
        if (const auto it = fresh.constFind(word); it != fresh.constEnd())
            states_.insert(word, *it);
        else
            states_.remove(word);
    }
}
