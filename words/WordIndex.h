#pragma once

#include <QChar>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <atomic>
#include <cstdint>
#include <vector>

class PatternCursor;

// The words of one list, held for looking up: whether a word is in it, its hooks, its anagrams and
// the words that fit a pattern of letters and blank tiles ('?'). Built once per list; every
// question after that is answered from memory, never from the store. The words are upper-case
// A-Z of two to four letters, as the lists hold them.
//
// Each length is a set of bits, one per possible word (26^4 bits for four letters), so a word or
// a hook is one bit read; anagrams come from a table keyed by a word's letters in order.
class WordIndex
{
public:
    static constexpr int MinLength = 2;
    static constexpr int MaxLength = 4;

    WordIndex() = default; // holds no words
    // Takes the words of two to four letters A-Z; anything else is left out.
    explicit WordIndex(const QStringList& words);
    // Every word of the list at path with its meanings, read on a connection of its own (see
    // WordSchema::readList; for WordIndexLoader's thread). Throws AppError as readList does.
    static WordIndex fromFile(const QString& path, const std::atomic<bool>* cancelled = nullptr);

    // Keeps the meanings of the index's words, control characters as spaces.
    void addMeanings(const QHash<QString, QString>& meanings);
    // The word's meaning as plain text; "" when the list gives none.
    QString meaning(const QString& word) const { return meanings_.value(word); }

    int count(int length) const;
    int size() const { return count(2) + count(3) + count(4); }

    // A word of upper-case A-Z the list holds.
    bool contains(const QString& word) const;

    // A letter that makes the word one longer, before it (front) or after it (back), and the word
    // it makes.
    struct Hook
    {
        QChar letter;
        QString word;
        bool operator==(const Hook&) const = default;
    };
    struct Hooks
    {
        // False when the longer words are longer than the lists hold: a four-letter word's hooks
        // are not known.
        bool known = false;
        QList<Hook> front;
        QList<Hook> back;
    };
    // The hooks of a word of upper-case A-Z (known for one to three letters), in letter order.
    Hooks hooks(const QString& word) const;

    // The words made of exactly these letters, each '?' standing for any one letter, in
    // alphabetical order (the letters themselves included when they are a word): the first
    // `limit` of them (all when negative); `found`, when given, gets how many there are.
    QStringList anagrams(const QString& letters, qsizetype limit = -1,
                         qsizetype* found = nullptr) const;

    // The words that fit the pattern letter for letter, '?' fitting any letter, fetched a few at a
    // time in alphabetical order. The index must outlive the cursor.
    PatternCursor matches(const QString& pattern) const;
    // How many words fit the pattern, without making them.
    int countMatches(const QString& pattern) const;

private:
    friend class PatternCursor;

    // A word of A-Z as a number in base 26, first letter highest; -1 for anything else.
    static qint64 encode(const QString& word);
    static QString decode(quint32 code, int length);
    bool has(int length, quint32 code) const;
    void insert(int length, quint32 code);

    // By length, one bit per possible word.
    std::array<std::vector<std::uint64_t>, MaxLength + 1> bits_;
    std::array<int, MaxLength + 1> counts_{};
    // The words by their letters in alphabetical order (length and code of those letters).
    QHash<quint32, std::vector<quint32>> byLetters_;
    QHash<QString, QString> meanings_;
};
