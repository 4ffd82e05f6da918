#pragma once

#include "TestDoubles.h"
#include "WordDatabase.h"
#include "study/History.h"
#include "study/StudyEngine.h"
#include "words/WordStore.h"

#include <QSet>
#include <QTemporaryDir>

#include <algorithm>
#include <functional>
#include <memory>

// A player who knows every word of `known` and nothing else: picks the right answer when it
// involves only known words, else the first candidate that is not the right one.
inline int play(const StudyQuestion& q, const QSet<QString>& known)
{
    bool knows = true;
    for (int i = 0; i < 4; ++i)
        if ((q.validKind && i == q.rightIndex) || (!q.validKind && i != q.rightIndex))
            knows = knows && known.contains(q.candidates[i]);
    return knows ? q.rightIndex : (q.rightIndex + 1) % 4;
}

// A study engine over a fresh word list and history in a temporary folder, on a manual clock and
// scripted draws.
struct StudyFixture
{
    QTemporaryDir dir;
    ScriptedRandom random;
    RecordingMessageBoxes messages;
    ManualWallClock clock;
    WordStore store{random};
    std::unique_ptr<History> history;
    std::unique_ptr<StudyEngine> engine;

    StudyFixture(const QStringList& words, StudySettings settings,
                 MemoryPolicy policy = MemoryPolicy())
    {
        WordDatabase::openIn(store, dir.filePath(QStringLiteral("dbWords.mdb")), words);
        history = std::make_unique<History>(messages,
                                            dir.filePath(QStringLiteral("history.sqlite")), policy);
        history->open();
        engine = std::make_unique<StudyEngine>(store, *history, clock, random, settings);
    }
    // Answers questions 10 s apart until the day's work is done, waiting for words in their
    // learning steps (minutes) but not for the next day. Each question goes to `shown` first.
    int session(const QSet<QString>& known, int limit = 1000,
                const std::function<void(const StudyQuestion&)>& shown = {})
    {
        int asked = 0;
        while (asked < limit) {
            const auto q = engine->next();
            if (!q) {
                const QDateTime next = engine->nextReviewAfterSession();
                if (!next.isValid() || next > clock.now.addSecs(1800))
                    break;
                clock.now = std::max(next, clock.now);
                continue;
            }
            if (shown)
                shown(*q);
            engine->answer(play(*q, known));
            clock.advanceSecs(10);
            ++asked;
        }
        return asked;
    }
};
