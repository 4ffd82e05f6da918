#pragma once

#include "base/Services.h"
#include "words/StatementLimit.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

#include <chrono>

class QSqlDatabase;

// The file as an SQLite URI that opens it read-only and immutable (QSQLITE_OPEN_URI).
QString immutableUri(const QString& path);

// Read-only access to the word lists of dbWords.mdb over the one connection "WordConnection".
// Every operation runs a fresh query and releases it before returning, but for words(): a whole
// list is read once for each file opened. Failures throw AppError with the database's own
// message.
//
// The file is opened as immutable: SQLite takes no locks and creates no -wal, -shm or -journal file
// beside it, so a database in a read-only folder reads as well as any other. Each operation has
// TimeLimit to finish; a view that never ends is interrupted and fails as "Query timeout expired".
class WordStore
{
public:
    static inline const QString ConnectionName = QStringLiteral("WordConnection");
    static constexpr std::chrono::milliseconds TimeLimit = StatementLimit::Default;

    explicit WordStore(RandomSource& random);
    ~WordStore();
    WordStore(const WordStore&) = delete;
    WordStore& operator=(const WordStore&) = delete;

    // Opening, in the main window's start-up order: create the connection object, close it if it
    // is open, open the file read-only (a file that is no word database fails here, at once; so
    // does anything but a regular file, which is never opened).
    void create();
    bool isOpen() const; // throws when no connection object exists
    void close();        // throws when no connection object exists
    void open(const QString& databasePath);
    // Drops the connection object; a later operation fails as "not set".
    void release();
    // The file last opened ("" before one was), for readers with connections of their own.
    const QString& path() const { return path_; }

    // True when the word list of that length (2, 3 or 4) holds the word.
    bool IsWordInDb(int length, const QString& word);
    // A word of that length drawn with RandomBetween(1, n); "" when the list is empty.
    QString GetRandomDbWord(int length);
    // Every word of that length, in list order (empty when the list is). For the study engine
    // and the progress figures, which want whole lists each time they open: the file is
    // immutable while open, so each list is read from it once and kept until it is closed or
    // another is opened.
    QStringList words(int length) const;
    // The word's meaning as the list gave it; "" when it gave none, or the database (made before
    // lists carried meanings) has no table of meanings.
    QString meaning(const QString& word) const;

    // The words the list no longer holds since it was replaced, whose answers stay in its history
    // (read when the store opens; usually none).
    const QSet<QString>& wordsGone() const { return gone_; }

    // Shortens the time limit of later operations (for tests).
    void setTimeLimit(std::chrono::milliseconds limit) { timeLimit_ = limit; }

private:
    // The connection object; throws "Object variable or With block variable not set" when this
    // store has none. Callers keep the copy only as long as one operation runs.
    QSqlDatabase connection() const;

    // Starts the clock of one operation; the connection's progress handler watches the deadline.
    void startClock() const { limit_.deadline = QDeadlineTimer(timeLimit_); }

    RandomSource& random_;
    bool created_ = false;
    bool hasMeanings_ = false; // the open database has a table of meanings
    QSet<QString> gone_;
    mutable QHash<int, QStringList> lists_; // what words() has read of the file open now
    QString path_;
    std::chrono::milliseconds timeLimit_ = TimeLimit;
    mutable StatementLimit limit_; // restarted by every operation, reads included
};
