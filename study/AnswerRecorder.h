#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

// One scored answer of any test, as the question window saw it.
struct AnswerRecord
{
    QDateTime at;          // when the answer was given (UTC)
    QString testKind;      // the question window's name ("Form2" .. "Form8") or "study"
    bool validKind = true; // true: choose the valid word; false: choose the invalid word
    int length = 0;
    QStringList candidates; // the four words in button order
    int rightIndex = 0;     // 0 to 3
    int chosenIndex = 0;    // 0 to 3
    qint64 responseMs = 0;  // from the question showing to the click
};

// The non-words the answer's question showed: the three beside the word to choose, or the one to
// choose; none from a record that is not a question of four.
inline QStringList nonWordsShown(const AnswerRecord& answer)
{
    if (answer.candidates.size() != 4 || answer.rightIndex < 0 || answer.rightIndex > 3)
        return {};
    if (!answer.validKind)
        return {answer.candidates.at(answer.rightIndex)};
    QStringList shown = answer.candidates;
    shown.removeAt(answer.rightIndex);
    return shown;
}

// Whatever keeps the player's answers. The question windows call it after scoring; it must be
// quick and must never throw or show anything that stops the test.
class AnswerRecorder
{
public:
    virtual ~AnswerRecorder() = default;
    virtual void record(const AnswerRecord& answer) = 0;
};
