#include "Meanings.h"

#include "ErrorReporting.h"
#include "WordStore.h"

namespace Meanings {

QString of(const WordStore& store, const QString& word)
{
    try {
        return store.meaning(word);
    } catch (const AppError&) {
        return QString(); // no list to ask: the word simply shows no meaning
    }
}

QString outcomeFact(const WordStore& store, bool validKind, const QString& rightWord,
                    const QString& chosen, bool right)
{
    if (validKind) {
        const QString meaning = of(store, rightWord);
        return QStringLiteral("%1 is a word").arg(rightWord) +
               (meaning.isEmpty() ? QString() : QStringLiteral(": ") + meaning);
    }
    QString fact = QStringLiteral("%1 is not a word").arg(rightWord);
    if (!right) {
        if (const QString meaning = of(store, chosen); !meaning.isEmpty())
            fact += QStringLiteral("; %1: %2").arg(chosen, meaning);
    }
    return fact;
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
