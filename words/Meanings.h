#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

class WordStore;

// The meanings of words as the windows show them. A word its list gives no meaning shows none.
namespace Meanings {

// The word's meaning in the store's list, control characters as spaces; "" when it has none or
// the list can't be read.
QString of(const WordStore& store, const QString& word);

// What an answer in study taught, for the feedback line: "AA is a word: rough lava" when the
// word was found; "XQ is not a word" when the non-word was, with the meaning of the real word
// least known (leastKnown, when given: "XQ is not a word. AA: rough lava"); after a wrong choice
// both, the word first, with its meaning ("AA is a word; XQ is not. AA: rough lava").
QString outcomeFact(const WordStore& store, bool validKind, const QString& rightWord,
                    const QString& chosen, bool right, const QString& leastKnown = QString());

// "AA   rough lava" (or "AA" alone), for lists of words.
QString entry(const QString& word, const QString& meaning);
QStringList entries(const QStringList& words, const QHash<QString, QString>& meanings);

} // namespace Meanings
