#pragma once

#include <QDateTime>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariant>
#include <QVariantList>

class QSqlError;

// A failed statement, with what SQLite said and its result code.
struct DbError
{
    QString text;
    int code = 0; // SQLite's primary result code

    // The file itself is damaged (or is no database at all).
    bool damaged() const;
};

DbError errorOf(const QSqlError& error);

// One named SQLite connection to a history file, and the statements run over it. Each thread
// that touches a history holds its own.
class HistoryDb
{
public:
    static constexpr int BusyTimeoutMs = 5000;

    explicit HistoryDb(QString path);
    ~HistoryDb();
    HistoryDb(const HistoryDb&) = delete;
    HistoryDb& operator=(const HistoryDb&) = delete;

    const QString& path() const { return path_; }
    bool isOpen() const { return open_; }
    // Opens the connection (creating the file when missing); throws DbError.
    void open();
    void close();

    // Runs one statement; throws DbError.
    QSqlQuery run(const QString& statement, const QVariantList& values = {}) const;
    // The first column of the first row, or null when there is none; throws DbError.
    QVariant scalar(const QString& statement, const QVariantList& values = {}) const;
    // Runs one statement once per row; columns holds one list of values per placeholder, each as
    // long as there are rows. Throws DbError.
    void runBatch(const QString& statement, const QList<QVariantList>& columns) const;

    enum class Lock
    {
        Write, // takes the file's write lock at once (BEGIN IMMEDIATE)
        Late   // only when the body first writes to the file (BEGIN): temporary tables take none
    };
    // Runs body inside a transaction, rolling back when it throws.
    template <typename Body> void transaction(Body&& body, Lock lock = Lock::Write) const
    {
        run(lock == Lock::Write ? QStringLiteral("BEGIN IMMEDIATE") : QStringLiteral("BEGIN"));
        try {
            body();
            run(QStringLiteral("COMMIT"));
        } catch (...) {
            rollback();
            throw;
        }
    }

private:
    QString path_;
    QString connection_;
    bool open_ = false;

    QSqlDatabase db() const;
    void rollback() const;
};

// Times are stored as milliseconds since the epoch, null when unset.
QVariant msOrNull(const QDateTime& at);
QDateTime fromMs(const QVariant& value);
