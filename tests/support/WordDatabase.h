#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>

class WordStore;

// Word databases for tests, written with the program's own schema into a folder the test owns
// (a QTemporaryDir). Every helper throws AppError when the database layer fails.
namespace WordDatabase {

// Writes a complete dbWords.mdb holding the words (upper case A-Z, 2 to 4 letters, distinct).
void write(const QString& path, const QStringList& words,
           const QHash<QString, QString>& meanings = {});

// Writes the database as write() does and opens the store over it, as the program does at start.
void openIn(WordStore& store, const QString& path, const QStringList& words,
            const QHash<QString, QString>& meanings = {});

// Runs raw SQL statements, in order, on an existing database opened for writing: the first value
// the last one gave, if any.
QVariant execute(const QString& path, const QStringList& statements);

// Breaks a database written by write():
void dropView(const QString& path, int length);
// The list of that length through any SELECT, e.g. one whose first column is NULL for a row.
void replaceView(const QString& path, int length, const QString& select);
// The list of that length with its words in a column not named fldword.
void renameWordColumn(const QString& path, int length);
// Row `row` (1-based, in alphabetical order) of the list of that length reads as NULL.
void nullWordAt(const QString& path, int length, int row);

// Overwrites the first page of a table (its root) with bytes no page holds: the rest of the
// database still reads, and that table fails SQLite's checks.
void damageTable(const QString& path, const QString& table);

// Files that are no database at all.
void writeRandomBytes(const QString& path, int size = 4096);
void writeEmptyFile(const QString& path);

// `count` distinct words of `length` letters, in alphabetical order from "AA..." on.
QStringList sequentialWords(int length, int count);

// The words of the list of that length, as the database's view returns them (NULLs as "").
QStringList listWords(const QString& path, int length);

// Every stored meaning as "WORD meaning", in word order.
QStringList meanings(const QString& path);

// The SHA-256 of the file's bytes (empty when it cannot be read).
QByteArray fileHash(const QString& path);

} // namespace WordDatabase
