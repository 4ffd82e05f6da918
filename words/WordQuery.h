#pragma once

#include <QString>

// What the player typed to look up, read the way the word lists are: upper case, letters with
// diacritics folded to A-Z, '?' a blank tile, spaces around it dropped.
struct WordQuery
{
    enum class Problem
    {
        None,
        Empty,      // nothing typed
        NotLetters, // something other than letters and '?'
        TooLong,    // longer than the lists' words
    };

    QString text; // A-Z and '?' (empty unless the problem is None)
    Problem problem = Problem::Empty;

    bool hasBlanks() const { return text.contains(QLatin1Char('?')); }

    static WordQuery read(const QString& typed);
};
