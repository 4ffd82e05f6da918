#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <array>

// Reads a plain word list: one word a line, any letter case. Blank lines and lines starting with
// '#' are skipped and surrounding whitespace is trimmed. Keeps the 2-, 3- and 4-letter words made
// only of the letters A to Z (lower case is accepted and upper-cased) and drops repeats.
class WordList
{
public:
    enum class Reason
    {
        NotLetters,
        WrongLength,
        Duplicate
    };

    struct Rejection
    {
        int line = 0; // counting from 1
        QString text; // the line as trimmed
        Reason reason = Reason::NotLetters;
        int firstLine = 0; // for a duplicate: where the word was kept
    };

    // The text is UTF-8; a byte-order mark at the start is ignored, as are CR LF line endings.
    static WordList parse(const QByteArray& text);

    static QString describe(Reason reason);

    // The kept words, upper case, in the order of the list.
    const QStringList& words() const { return words_; }
    // How many words of that length (2, 3 or 4) were kept.
    int count(int length) const;
    const QList<Rejection>& rejections() const { return rejections_; }

private:
    QStringList words_;
    std::array<int, 5> counts_{};
    QList<Rejection> rejections_;
};
