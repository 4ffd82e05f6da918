#include "NonWords.h"

#include "ErrorReporting.h"
#include "Random.h"
#include "WordStore.h"

namespace {

QChar drawLetter(RandomSource& random)
{
    return QChar(RandomBetween(random, qint16('A'), qint16('Z')));
}

[[noreturn]] void giveUp(const QString& lengthName)
{
    throw AppError(QStringLiteral("No %1 letter word can be made that is not in the word list")
                       .arg(lengthName));
}

// Three or four letters, each drawn independently. The membership test comes first, then the
// vowel test.
QString generateWithVowel(int length, const QString& lengthName, WordStore& store,
                          RandomSource& random)
{
    for (int candidates = 0; candidates < MaxNonWordCandidates; ++candidates) {
        QString word;
        word.reserve(length);
        for (int i = 0; i < length; ++i)
            word.append(drawLetter(random));
        if (store.IsWordInDb(length, word))
            continue;
        if (!ContainsVowel(word))
            continue;
        return word;
    }
    giveUp(lengthName);
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

QString GenerateTwoWordNotInDb(WordStore& store, RandomSource& random)
{
    for (int candidates = 0; candidates < MaxNonWordCandidates; ++candidates) {
        const QChar first = drawLetter(random);
        QChar second = drawLetter(random);
        while (second == first)
            second = drawLetter(random);
        const QString word = QString(first) + second;
        if (!store.IsWordInDb(2, word))
            return word;
    }
    giveUp(QStringLiteral("two"));
}

QString GenerateThreeWordNotInDb(WordStore& store, RandomSource& random)
{
    return generateWithVowel(3, QStringLiteral("three"), store, random);
}

QString GenerateFourWordNotInDb(WordStore& store, RandomSource& random)
{
    return generateWithVowel(4, QStringLiteral("four"), store, random);
}

QString GenerateWordNotInDb(int length, WordStore& store, RandomSource& random)
{
    switch (length) {
    case 2:
        return GenerateTwoWordNotInDb(store, random);
    case 3:
        return GenerateThreeWordNotInDb(store, random);
    case 4:
        return GenerateFourWordNotInDb(store, random);
    default:
        throw AppError(QStringLiteral("No word list for words of %1 letters").arg(length));
    }
}
