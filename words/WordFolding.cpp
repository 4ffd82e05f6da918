#include "words/WordFolding.h"

#include <QList>
#include <QString>

#include <array>
#include <utility>

namespace WordFolding {

namespace {

// Letters that keep their own form under decomposition, and how they are spelled in A-Z.
constexpr std::array<std::pair<char32_t, const char*>, 13> Spellings{{
    {0x00DF, "SS"}, // ß
    {0x1E9E, "SS"}, // ẞ
    {0x00C6, "AE"}, // Æ
    {0x00E6, "AE"},
    {0x0152, "OE"}, // Œ
    {0x0153, "OE"},
    {0x00D8, "O"}, // Ø
    {0x00F8, "O"},
    {0x0110, "D"}, // Đ
    {0x0111, "D"},
    {0x0141, "L"}, // Ł
    {0x0142, "L"},
    {0x0131, "I"}, // ı
}};

const char* spelling(char32_t c)
{
    for (const auto& [letter, spelled] : Spellings)
        if (letter == c)
            return spelled;
    return nullptr;
}

} // namespace

Outcome fold(std::string_view utf8, std::string& folded)
{
    const QString word = QString::fromUtf8(utf8.data(), qsizetype(utf8.size()))
                             .normalized(QString::NormalizationForm_KD);
    folded.clear();
    bool unfoldable = false;
    for (const char32_t c : word.toUcs4()) {
        if (QChar::category(c) == QChar::Mark_NonSpacing)
            continue;
        const char32_t upper = c < 0x80 ? (c & ~char32_t(0x20)) : c;
        if (upper >= 'A' && upper <= 'Z')
            folded += char(upper);
        else if (const char* spelled = spelling(c))
            folded += spelled;
        else if (QChar::isLetter(c))
            unfoldable = true;
        else
            return Outcome::NotLetters;
    }
    return unfoldable ? Outcome::Unfoldable : Outcome::Folded;
}

} // namespace WordFolding
