#include "quiz/NonWords.h"

#include "base/ErrorReporting.h"
#include "words/WordStore.h"

namespace {

// The word list is asked before the letter rules; an alike second letter is drawn again.
QString generate(int length, const QString& lengthName, WordStore& store, RandomSource& random)
{
    const auto inList = [&](const QString& word) { return store.IsWordInDb(length, word); };
    if (auto word = DrawNonWord(length, random, inList, AlikePair::RedrawSecond))
        return *word;
    throw AppError(QStringLiteral("No %1 letter word can be made that is not in the word list")
                       .arg(lengthName));
}

} // namespace

QString GenerateTwoWordNotInDb(WordStore& store, RandomSource& random)
{
    return generate(2, QStringLiteral("two"), store, random);
}

QString GenerateThreeWordNotInDb(WordStore& store, RandomSource& random)
{
    return generate(3, QStringLiteral("three"), store, random);
}

QString GenerateFourWordNotInDb(WordStore& store, RandomSource& random)
{
    return generate(4, QStringLiteral("four"), store, random);
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
