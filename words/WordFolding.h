#pragma once

#include <string>
#include <string_view>

// Letters with diacritics folded to A-Z, for lists in languages that write them: a word is
// decomposed (NFKD: compatibility forms such as full-width letters and the ﬁ ligature become
// plain letters too) and its combining marks dropped, so É becomes E, Ç C and Ä A. A few
// letters that don't decompose have a usual spelling in A-Z: ß is SS, Æ AE, Œ OE, Ø O, Đ D,
// Ł L and the dotless ı I. Other letters (Þ, Ð, Greek, Cyrillic...) don't fold.
namespace WordFolding {

enum class Outcome
{
    Folded,     // the word, upper case, is in the output
    NotLetters, // something in it is no letter at all
    Unfoldable, // letters all, but some don't fold to A-Z
};

// Folds a word given in valid UTF-8; the output gets the upper-case letters A-Z.
Outcome fold(std::string_view utf8, std::string& folded);

} // namespace WordFolding
