#include "words/NonWordRules.h"

#include "base/Random.h"

namespace {

QChar drawLetter(RandomSource& random)
{
    return QChar(RandomBetween(random, qint16('A'), qint16('Z')));
}

bool keepsTheRules(const QString& word)
{
    return word.size() == 2 ? word.at(0) != word.at(1) : ContainsVowel(word);
}

} // namespace

bool ContainsVowel(const QString& text)
{
    for (QChar vowel : {u'A', u'E', u'I', u'O', u'U'}) {
        if (text.contains(vowel, Qt::CaseSensitive))
            return true;
    }
    return false;
}

std::optional<QString> DrawNonWord(int length, RandomSource& random,
                                   const std::function<bool(const QString&)>& taken,
                                   AlikePair alike)
{
    const bool redrawSecond = length == 2 && alike == AlikePair::RedrawSecond;
    for (int candidates = 0; candidates < MaxNonWordCandidates; ++candidates) {
        QString word;
        word.reserve(length);
        for (int i = 0; i < length; ++i) {
            QChar letter = drawLetter(random);
            while (redrawSecond && i == 1 && letter == word.at(0))
                letter = drawLetter(random);
            word.append(letter);
        }
        if (!taken(word) && keepsTheRules(word))
            return word;
    }
    return std::nullopt;
}
