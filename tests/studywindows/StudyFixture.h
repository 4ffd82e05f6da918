#pragma once

#include "HistoryFill.h"
#include "TestDoubles.h"
#include "WordDatabase.h"
#include "base/look/PushButton.h"
#include "quiz/TrainerContext.h"
#include "study/History.h"
#include "study/StudyEngine.h"
#include "study/StudySession.h"
#include "studywindows/StudyWindow.h"
#include "words/WordStore.h"

#include <QGroupBox>
#include <QSet>

#include <optional>

// A word list, a fresh history and an engine over a clock that stands still, with a study session
// over them for a window.
struct Fixture
{
    explicit Fixture(int newPerDay = 20)
        : store(t.random), context(t.env, store),
          history(t.messages, t.path(QStringLiteral("history.sqlite")))
    {
        const QStringList words =
            WordDatabase::sequentialWords(2, 40) + WordDatabase::sequentialWords(3, 40);
        WordDatabase::openIn(store, t.path(QStringLiteral("dbWords.mdb")), words);
        valid = QSet<QString>(words.begin(), words.end());
        StudySettings settings;
        settings.newPerDay = newPerDay;
        settings.lengths = {2, 3};
        history.open();
        engine.emplace(store, history, clock, t.random, settings);
        session.emplace(*engine, store);
    }

    // Words learnt a month ago, each answered right three times over a quarter of an hour: due
    // for review now.
    void learntLongAgo(const QStringList& words)
    {
        const QDateTime start = clock.now.addDays(-30);
        for (const QString& word : words)
            for (int minutes : {0, 2, 15})
                history.record(answerOn(word, start.addSecs(minutes * 60)));
    }

    // The words on the buttons, without their numbers.
    QStringList candidates(const StudyWindow& w) const
    {
        QStringList words;
        for (int k = 1; k <= 4; ++k)
            words.append(button(w, k)->text().section(QLatin1Char(' '), -1));
        return words;
    }
    static PushButton* button(const StudyWindow& w, int k)
    {
        return w.findChild<PushButton*>(QStringLiteral("PushButton%1").arg(k));
    }
    static QColor colour(const StudyWindow& w, int k)
    {
        return button(w, k)->palette().color(QPalette::Button);
    }
    static bool asksForTheWord(const StudyWindow& w)
    {
        return !w.findChild<QGroupBox*>(QStringLiteral("Frame1"))->title().contains("invalid");
    }
    // 1 to 4: the button with the right answer.
    int rightButton(const StudyWindow& w) const
    {
        const QStringList words = candidates(w);
        for (int k = 1; k <= 4; ++k) {
            if (valid.contains(words[k - 1]) == asksForTheWord(w))
                return k;
        }
        return 0;
    }

    TestEnvironment t;
    WordStore store;
    TrainerContext context;
    History history;
    ManualWallClock clock;
    std::optional<StudyEngine> engine;
    std::optional<StudySession> session;
    QSet<QString> valid;
};
