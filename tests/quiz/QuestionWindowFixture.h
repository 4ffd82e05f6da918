#pragma once

// What the question window's tests share: a context over recording services and a small word
// database, the words and non-words it holds, and the window's controls by name.

#include "TestDoubles.h"
#include "TestFiles.h"
#include "WordDatabase.h"
#include "base/ErrorReporting.h"
#include "base/look/PushButton.h"
#include "quiz/QuestionForm.h"
#include "quiz/QuestionWindow.h"
#include "quiz/TrainerContext.h"
#include "words/WordStore.h"

#include <QLabel>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <array>

// Three words of each length, in the order the store's lists hold them (row 1, 2, 3).
inline QStringList validWords(int length)
{
    switch (length) {
    case 2:
        return {"AB", "AD", "AG"};
    case 3:
        return {"ACE", "ADD", "AGE"};
    default:
        return {"ABLE", "ACHE", "AGED"};
    }
}

// Three non-words of each length, none in the lists above, each with a vowel.
inline QStringList nonWords(int length)
{
    switch (length) {
    case 2:
        return {"QZ", "XJ", "VK"};
    case 3:
        return {"QOZ", "XUJ", "VEK"};
    default:
        return {"QOZZ", "XUJJ", "VEKK"};
    }
}

inline QStringList allValidWords()
{
    return validWords(2) + validWords(3) + validWords(4);
}

// A context over recording services and a word database in its own program folder, with the
// test-run state as the driver leaves it at the start of a run.
class Fixture
{
public:
    explicit Fixture(const QStringList& words = allValidWords())
        : store(t.random), context(t.env, store)
    {
        WordDatabase::openIn(store, t.path(QStringLiteral("dbWords.mdb")), words);
        context.state.statusText = TestRunState::WaitingForAnswer;
        context.state.statusColor = QStringLiteral("0");
        context.state.answerPending = true;
    }

    // Scripts one question: the answer position x, then the draws of the valid-word test (the
    // row of the valid word, then the letters of three non-words) or of the invalid-word test
    // (the non-word's letters, then the rows of three valid words).
    void scriptQuestion(const QuestionForm& form, int x, int validRow = 2,
                        const QStringList& others = {}, const QList<int>& rows = {1, 2, 3})
    {
        t.random.push(x, 0, 3);
        if (form.kind == TestKind::ValidWord) {
            t.random.push(validRow, 1, 3);
            for (const QString& w : others.isEmpty() ? nonWords(form.length) : others)
                t.random.pushLetters(w);
        } else {
            t.random.pushLetters(nonWords(form.length).first());
            for (int row : rows)
                t.random.push(row, 1, 3);
        }
    }

    TestEnvironment t;
    WordStore store;
    TrainerContext context;
};

// Keeps the answers the window hands on.
struct RecordingAnswers : AnswerRecorder
{
    void record(const AnswerRecord& answer) override { answers.append(answer); }
    QList<AnswerRecord> answers;
};

inline const QuestionForm& form(const QString& name)
{
    const auto& all = QuestionForms::all();
    return *std::find_if(all.begin(), all.end(),
                         [&](const QuestionForm& f) { return f.name == name; });
}

inline PushButton* button(const QuestionWindow& w, int k)
{
    return w.findChild<PushButton*>(QStringLiteral("PushButton%1").arg(k));
}

inline QStringList captions(const QuestionWindow& w)
{
    QStringList all;
    for (int k = 1; k <= 4; ++k)
        all.append(button(w, k)->text());
    return all;
}

inline QLabel* statusLine(const QuestionWindow& w)
{
    return w.findChild<QLabel*>(QStringLiteral("Label1"));
}

inline QString errorText(const QString& window, const QString& procedure, int line,
                         const QString& what)
{
    return ErrorReporter::messageText(what, ErrorReporter::locationName(window, procedure), line);
}

inline const QString ClosedStore =
    QStringLiteral("Operation is not allowed when the object is closed.");

// For each answer position x: the button of the right answer, and the buttons that take the
// other three words, in call order.
inline constexpr std::array<int, 4> AnswerButton{1, 2, 3, 4};
inline constexpr std::array<std::array<int, 3>, 4> OtherButtons{
    {{2, 3, 4}, {1, 3, 4}, {2, 1, 4}, {2, 3, 1}}};
