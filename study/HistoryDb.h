#pragma once

#include <QDateTime>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariant>
#include <QVariantList>

#include <atomic>
#include <functional>

class QSqlError;

// A failed statement, with what SQLite said and its result code.
struct DbError
{
    QString text;
    int code = 0; // SQLite's primary result code

    // A statement stopped because its owner asked the work to stop.
    bool interrupted() const;
    // The file itself is damaged (or is no database at all).
    bool damaged() const;
    // Another program holds the file for the moment: worth trying again soon.
    bool busy() const;
    // Reading or writing the file failed below SQLite (the disk, or a file changed under it).
    bool ioFailed() const;
    // What went wrong, in the player's words, with SQLite's own text.
    QString cause() const;
};

DbError errorOf(const QSqlError& error);

// The file exists and this process can't write it (read-only, immutable or on a read-only mount;
// asked of the system, so the superuser gets the true answer too).
bool existsUnwritable(const QString& path);

struct sqlite3_stmt;

// One row of a statement read straight from SQLite (HistoryDb::eachRow), valid only inside the
// call that hands it over.
class DbRow
{
public:
    explicit DbRow(sqlite3_stmt* statement) : statement_(statement) {}
    bool isNull(int column) const;
    qint64 integer(int column) const;
    double real(int column) const;
    QString text(int column) const;
    // A time stored as milliseconds since the epoch, UTC; invalid when null.
    QDateTime time(int column) const;

private:
    sqlite3_stmt* statement_;
};

// One named SQLite connection to a history file, and the statements run over it. Each thread
// that touches a history holds its own.
class HistoryDb
{
public:
    static constexpr int BusyTimeoutMs = 5000;
    enum class Access
    {
        ReadWrite, // creates the file when missing
        ReadOnly,  // never writes, nor creates the file
        Frozen     // read-only, taken as unchanging: no -wal or -shm file is looked at or made
    };

    explicit HistoryDb(QString path);
    ~HistoryDb();
    HistoryDb(const HistoryDb&) = delete;
    HistoryDb& operator=(const HistoryDb&) = delete;

    const QString& path() const { return path_; }
    bool isOpen() const { return open_; }
    bool isReadOnly() const { return access_ != Access::ReadWrite; }
    // Opens the connection; throws DbError.
    void open(Access access = Access::ReadWrite);
    void close();
    // How long a statement waits for another program's lock before failing as busy.
    void setBusyTimeout(int ms) const;
    // For background work: once *stop is set, a running statement fails as interrupted within
    // a few thousand steps of SQLite's, and a wait for another program's lock gives up within
    // StopPollMs. The flag outlives the connection.
    void stopWhen(const std::atomic<bool>* stop);
    static constexpr int StopPollMs = 10;

    // Runs one statement; throws DbError.
    QSqlQuery run(const QString& statement, const QVariantList& values = {}) const;
    // Runs one statement, handing each row to take as it is read. For the large reads, where
    // QSqlQuery's copy of every value costs more than the reading itself. Throws DbError.
    void eachRow(const QString& statement, const QVariantList& values,
                 const std::function<void(const DbRow&)>& take) const;
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
    Access access_ = Access::ReadWrite;
    // What the stop's handlers read: SQLite holds its address.
    struct StopWatch
    {
        const std::atomic<bool>* stop = nullptr;
        int timeoutMs = BusyTimeoutMs;
    };
    mutable StopWatch watch_;

    QSqlDatabase db() const;
    void rollback() const;
    // Throws before a writable connection touches a shared-memory file that can no longer be
    // written (made read-only or immutable under it): SQLite maps that file, and a store into
    // the mapping would then kill the process with SIGBUS instead of failing.
    void checkSharedMemory() const;
    void installStopHandlers() const;
    // SQLite's busy handler for a connection that can be stopped: waits in short steps, giving
    // up when asked to stop or past the timeout.
    static int waitUnlessStopped(void* watch, int attempts);
};

// Times are stored as milliseconds since the epoch, null when unset.
QVariant msOrNull(const QDateTime& at);
QDateTime fromMs(const QVariant& value);
