#pragma once

#include "words/WordIndex.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

class MemoryPolicy;
class WordStateView;
struct WordMemory;

// What looking a word up says about it, each fact one line of plain text for the Look up window:
// whether the list holds it, its meaning, its hooks, its anagrams and how its study stands.
struct LookupFacts
{
    QString verdict;
    QString meaning; // "" when the word has none, or isn't a word
    QString hooks;
    QString anagrams;
    QString state; // "" for what isn't a word of the list

    // What the facts are read from. Nothing is written anywhere, and nothing opened.
    struct Sources
    {
        const WordIndex& index; // the words and their meanings
        // The history's states; null when the history isn't open, and the state is not known.
        const WordStateView* states = nullptr;
        QString listName; // as the main window names the list in use
        QDateTime now;
    };

    static LookupFacts of(const Sources& sources, const QString& typed);

    // "Front hooks: L (LAX), M (MAX); back hooks: E (AXE)", or why they aren't known.
    static QString hooksText(const WordIndex::Hooks& hooks);
    // "Anagrams: ATE, ETA, TEA", leaving out the word itself: the first ShownAnagrams of the
    // index's anagrams, and how many more there are.
    static QString anagramsText(const QString& title, const WordIndex& index,
                                const QString& letters, const QString& itself);
    // "Study: learning; answered right 3 times, wrong once; last answer today at 10:00; next
    // review tomorrow at 09:00".
    static QString stateText(const WordMemory* memory, const MemoryPolicy& policy,
                             const QDateTime& now);
    // When a word is asked again: "now" once due, else "tomorrow at 09:00".
    static QString reviewText(const QDateTime& due, const QDateTime& now);

    static constexpr int ShownAnagrams = 60;
};
