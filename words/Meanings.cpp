#include "words/Meanings.h"

#include "base/ErrorReporting.h"
#include "base/PlainText.h"
#include "words/WordStore.h"

namespace Meanings {

QString of(const WordStore& store, const QString& word)
{
    try {
        // Lists imported before their meanings were cleaned on reading, and a database built
        // by other means, may still hold control characters.
        return PlainText::cleaned(store.meaning(word)).trimmed();
    } catch (const AppError&) {
        return QString(); // no list to ask: the word simply shows no meaning
    }
}

QString outcomeFact(const WordStore& store, bool validKind, const QString& rightWord,
                    const QString& chosen, bool right, const QString& leastKnown)
{
    if (right && !validKind) {
        const QString fact = QStringLiteral("%1 is not a word").arg(rightWord);
        if (leastKnown.isEmpty())
            return fact;
        const QString meaning = of(store, leastKnown);
        return fact + (meaning.isEmpty() ? QStringLiteral("; %1 is a word").arg(leastKnown)
                                         : QStringLiteral(". %1: %2").arg(leastKnown, meaning));
    }
    // The word to tell about: the one found, or the one passed over or rejected.
    const QString word = validKind ? rightWord : chosen;
    const QString meaning = of(store, word);
    if (right)
        return QStringLiteral("%1 is a word").arg(word) +
               (meaning.isEmpty() ? QString() : QStringLiteral(": ") + meaning);
    const QString nonWord = validKind ? chosen : rightWord;
    return QStringLiteral("%1 is a word; %2 is not").arg(word, nonWord) +
           (meaning.isEmpty() ? QString() : QStringLiteral(". %1: %2").arg(word, meaning));
}

QString entry(const QString& word, const QString& meaning)
{
    return meaning.isEmpty() ? word : word + QStringLiteral("   ") + meaning;
}

QStringList entries(const QStringList& words, const QHash<QString, QString>& meanings)
{
    QStringList shown;
    for (const QString& word : words)
        shown.append(entry(word, meanings.value(word)));
    return shown;
}

} // namespace Meanings
