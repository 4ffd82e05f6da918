#pragma once

#include "study/MemoryPolicy.h"
#include "study/WordMemory.h"

#include <QString>

// How a word's study stands, as the windows name it: new (never graded), learning, or known (as
// the memory policy judges it).
enum class StudyState
{
    New,
    Learning,
    Known
};

inline StudyState studyStateOf(const WordMemory* memory, const MemoryPolicy& policy)
{
    if (!memory || memory->isNew())
        return StudyState::New;
    return policy.isKnown(*memory) ? StudyState::Known : StudyState::Learning;
}

inline QString studyStateName(StudyState state)
{
    switch (state) {
    case StudyState::New:
        return QStringLiteral("new");
    case StudyState::Learning:
        return QStringLiteral("learning");
    case StudyState::Known:
        return QStringLiteral("known");
    }
    return QString();
}
