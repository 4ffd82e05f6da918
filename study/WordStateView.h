#pragma once

#include "study/MemoryPolicy.h"
#include "study/WordMemory.h"

#include <QHash>
#include <QString>

// The word states as the scheduler reads them: by word, all of them, and the rules they follow.
// The revision moves on with every change: by one for each answer recorded or taken back (which
// changes the states of its candidates only), and with whatever replaces the states wholesale (a
// fit or a rebuild taken up, another program's answers read back, a list switch). A reader that
// keeps figures of its own can tell its own answers' changes from others, and starts over on
// the others.
class WordStateView
{
public:
    virtual ~WordStateView() = default;
    virtual const QHash<QString, WordMemory>& words() const = 0;
    virtual const WordMemory* find(const QString& word) const = 0;
    virtual const MemoryPolicy& policy() const = 0;
    virtual quint64 statesRevision() const = 0;
};
