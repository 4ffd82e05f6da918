#include "words/WordListWriter.h"

#include "words/Meanings.h"
#include "words/WordStore.h"

#include <QSaveFile>
#include <QSet>

namespace WordListWriter {

bool write(const QString& path, const QStringList& words, const QStringList& nonWords,
           const QHash<QString, QString>& meanings)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    for (const QString& word : words) {
        // One line a word: a meaning that held a line break would end it early.
        const QString meaning = meanings.value(word).simplified();
        file.write((meaning.isEmpty() ? word : word + QLatin1Char(' ') + meaning).toUtf8() + '\n');
    }
    if (!nonWords.isEmpty())
        file.write("# Missed too, but not words:\n");
    for (const QString& nonWord : nonWords)
        file.write("# " + nonWord.toUtf8() + '\n');
    return file.commit();
}

bool writeMissed(const WordStore& store, const QString& path, const QStringList& missed)
{
    QSet<QString> known;
    try {
        for (int length = 2; length <= 4; ++length)
            for (const QString& word : store.words(length))
                known.insert(word);
    } catch (const std::exception&) {
        // no word list to check against: nothing can be saved as a word
    }
    QStringList real, others;
    QHash<QString, QString> meanings;
    for (const QString& word : missed) {
        (known.contains(word) ? real : others).append(word);
        if (known.contains(word))
            meanings.insert(word, Meanings::of(store, word));
    }
    return write(path, real, others, meanings);
}

} // namespace WordListWriter
