#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

class WordStore;

// Word lists written out as plain text files that the list reader (and so the import and
// lexitor-words) takes back whole.
namespace WordListWriter {

// Writes the words to path, one a line with its meaning after a blank where it has one, with LF
// line ends, then the non-words as comment lines ("# " before each). False when it could not.
bool write(const QString& path, const QStringList& words, const QStringList& nonWords = {},
           const QHash<QString, QString>& meanings = {});

// Writes the missed words: only words of the store's list go in as words, with their meanings; a
// non-word, or a word the list no longer holds, goes in as a comment line. False when it could
// not.
bool writeMissed(const WordStore& store, const QString& path, const QStringList& missed);

} // namespace WordListWriter
