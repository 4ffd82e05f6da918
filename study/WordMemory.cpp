#include "WordMemory.h"

void MemoryPolicy::apply(QHash<QString, WordMemory>&, const AnswerRecord&) const {}

QStringList MemoryPolicy::touchedWords(const AnswerRecord& answer)
{
    return answer.candidates;
}

double MemoryPolicy::recall(const WordMemory&, const QDateTime&) const
{
    return 0.0;
}

bool MemoryPolicy::isKnown(const WordMemory&, const QDateTime&) const
{
    return false;
}

int MemoryPolicy::daysBetween(const QDateTime&, const QDateTime&)
{
    return 0;
}
