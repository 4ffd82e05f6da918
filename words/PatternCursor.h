#pragma once

#include <QString>
#include <QStringList>

#include <array>

class WordIndex;

// The words of an index that fit a pattern ("A?E": any letter in the middle), handed out a few at a
// time in alphabetical order. It walks the 26^k ways to fill the k blanks, reading one bit of the
// index for each, so no word is made before it is asked for.
class PatternCursor
{
public:
    PatternCursor() = default; // fits nothing
    // A pattern of upper-case A-Z and '?', of two to four letters; any other fits nothing.
    PatternCursor(const WordIndex& index, const QString& pattern);

    bool atEnd() const { return next_ >= end_; }
    // Up to `count` more words.
    QStringList fetch(int count);
    // How many words fit, counted from the start whatever was fetched.
    int total() const;

private:
    // The word filling the blanks with the letters of `ways` (in base 26, last blank lowest).
    quint32 codeFor(quint32 ways) const;

    const WordIndex* index_ = nullptr;
    int length_ = 0;
    quint32 fixed_ = 0; // the given letters, blanks as A
    int blanks_ = 0;
    std::array<quint32, 4> blankPlace_{}; // 26^n of each blank, first blank first
    quint32 next_ = 0;
    quint32 end_ = 0;
};
