#pragma once

#include "study/AnswerRecorder.h"
#include "study/MemoryPolicy.h"
#include "study/WordMemory.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>

// The history's word states in memory: the stored ones with the answers not yet in the file
// applied. Reading them never touches the file; whoever changes the file keeps them in step.
class WordStates
{
public:
    const QHash<QString, WordMemory>& all() const { return states_; }
    const WordMemory* find(const QString& word) const;
    // A read of the file failed midway: what is held is to be read again in full.
    bool stale() const { return stale_; }
    void markStale() { stale_ = true; }

    // Replaces every state (a fresh read or a rebuild), then applies these answers.
    void reset(QHash<QString, WordMemory> states, const MemoryPolicy& policy,
               const QList<AnswerRecord>& unwritten);
    void apply(const MemoryPolicy& policy, const AnswerRecord& answer);
    // The states of these words set from `fresh`; words it lacks are dropped.
    void replaceWords(const QHash<QString, WordMemory>& fresh, const QStringList& words);
    // The states of `words` set from `base`, with the unwritten answers that touch them applied
    // again on top; the words in `held` keep the states they have.
    void rebase(const QHash<QString, WordMemory>& base, const QSet<QString>& words,
                const QSet<QString>& held, const MemoryPolicy& policy,
                const QList<AnswerRecord>& unwritten);

private:
    QHash<QString, WordMemory> states_;
    bool stale_ = false;
};
