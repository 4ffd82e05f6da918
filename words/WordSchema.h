#pragma once

#include "words/StatementLimit.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <atomic>
#include <chrono>

// The layout of dbWords.mdb, kept in this one place for the word store, the lexitor-words tool and
// the tests.
//
// The file is an SQLite 3 database. Each word length has its own table of words, upper case,
// letters A to Z only, keyed on the word and stored without row ids, so the table is the word
// index itself:
//
//     tblTwoWords(fldword TEXT NOT NULL PRIMARY KEY) WITHOUT ROWID   (and tblThreeWords,
//     tblFourWords)
//
// The program reads them only through three views whose first column is the word:
//
//     qryTwoWords   = SELECT fldword FROM tblTwoWords    (and qryThreeWords, qryFourWords)
//
// Meanings, where the list gave them, live in a table of their own, so that a trainer that knows
// only the views still reads the file:
//
//     tblMeanings(fldword TEXT NOT NULL PRIMARY KEY, fldmeaning TEXT NOT NULL) WITHOUT ROWID
//
// An imported list carries an id of its own, so that its history follows it under any name (the
// bundled list's is fixed and not kept in the file):
//
//     tblListId(fldid TEXT NOT NULL PRIMARY KEY) WITHOUT ROWID   (one row)
//
// A list whose words were replaced keeps the words it no longer holds, whose answers stay in its
// history, so that they count nowhere (only when there are any):
//
//     tblWordsGone(fldword TEXT NOT NULL PRIMARY KEY) WITHOUT ROWID
//
// A view yields its words in fldword order, because a scan of a table without row ids walks its
// key in order. The views carry no ORDER BY on purpose: with one, SQLite materialises the rows to
// count them (about 2 ms for 32,767 words), without one it counts them from the table's pages
// (about 0.01 ms), and the store counts a list on every random pick.
namespace WordSchema {

constexpr int ShortestWord = 2;
constexpr int LongestWord = 4;
// The store counts the rows of one list in 16 bits.
constexpr int MaxWordsPerLength = 32767;

inline const QString WordColumn = QStringLiteral("fldword");
inline const QString MeaningTable = QStringLiteral("tblMeanings");
inline const QString ListIdTable = QStringLiteral("tblListId");
inline const QString GoneTable = QStringLiteral("tblWordsGone");

// True for 2, 3 and 4.
bool isWordLength(int length);

// "qryTwoWords", "qryThreeWords" or "qryFourWords". Throws AppError for any other length.
QString viewName(int length);
// "tblTwoWords", "tblThreeWords" or "tblFourWords". Throws AppError for any other length.
QString tableName(int length);

// True when the word can be stored: 2 to 4 characters, each an upper-case letter A to Z.
bool isStorableWord(const QString& word);

// The statements that create an empty word database, in order.
QStringList createStatements();

// Writes a complete word database to path, which must not exist yet or be an empty file. The
// words must be storable and distinct (their order does not matter); lists longer than
// MaxWordsPerLength are written as they are. meanings: by word; those of words not in the list are
// left out. listId: the list's id, kept when not empty. gone: the words the list no longer holds.
// Throws AppError with the database's message when something fails; a partly written file is
// then left for the caller to remove.
void writeDatabase(const QString& path, const QStringList& words,
                   const QHash<QString, QString>& meanings = {}, const QString& listId = {},
                   const QStringList& gone = {});

// The list's id, "" for a list written without one. Throws AppError when the file can't be read.
// Writes nothing beside the file.
QString listId(const QString& path);
// The words the list no longer holds (none for a list never replaced). Throws AppError as
// listId does.
QStringList wordsGone(const QString& path);
// Gives the word database at path the id, in place of any it had. Only for a file no trainer
// reads yet (a copy being made): readers of a list open it immutable.
void setListId(const QString& path, const QString& id);

// The number of words of each length (2, 3 and 4, in that order) in the word database at path,
// read within the time limit (the word store's by default) and cut short once cancelled is set.
// Throws AppError with why the file can't be read ("Query timeout expired" for a view that never
// ends). Writes nothing beside the file.
QList<qint64> countWords(const QString& path, const std::atomic<bool>* cancelled = nullptr,
                         std::chrono::milliseconds limit = StatementLimit::Default);

// Every word of the word database at path, those of 2 letters first, then 3, then 4, read within
// the time limit as countWords reads. Throws AppError as countWords does.
QStringList readWords(const QString& path,
                      std::chrono::milliseconds limit = StatementLimit::Default);

// A list's words (as readWords reads them) and the meanings it gives, by word, as they are stored.
struct ListText
{
    QStringList words;
    QHash<QString, QString> meanings;
};
// Reads the whole list at path on a connection of its own, within the time limit, cut short once
// cancelled is set. Throws AppError as countWords does. Writes nothing beside the file.
ListText readList(const QString& path, const std::atomic<bool>* cancelled = nullptr,
                  std::chrono::milliseconds limit = StatementLimit::Default);

// True when the regular file at path is an SQLite database holding the three word tables. Reads
// the file without writing anything beside it.
bool isWordDatabase(const QString& path);

} // namespace WordSchema
