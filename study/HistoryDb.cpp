#include "study/HistoryDb.h"

#include "words/WordStore.h"

#include <QFile>
#include <QSqlDriver>
#include <QSqlError>

#include <sqlite3.h>
#include <unistd.h>

namespace {

sqlite3* handleOf(const QSqlDatabase& db)
{
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3* const*>(handle.constData());
}

// SQLite's progress handler: a non-zero answer interrupts the statement.
int stopRequested(void* flag)
{
    return static_cast<const std::atomic<bool>*>(flag)->load(std::memory_order_relaxed) ? 1 : 0;
}

} // namespace

bool existsUnwritable(const QString& path)
{
    // access(2) rather than the mode bits: it also sees immutable files and read-only mounts.
    const QByteArray name = QFile::encodeName(path);
    return ::access(name.constData(), F_OK) == 0 && ::access(name.constData(), W_OK) != 0;
}

bool DbError::interrupted() const
{
    return code == SQLITE_INTERRUPT;
}

bool DbError::damaged() const
{
    return code == SQLITE_CORRUPT || code == SQLITE_NOTADB;
}

bool DbError::busy() const
{
    return code == SQLITE_BUSY || code == SQLITE_LOCKED;
}

bool DbError::ioFailed() const
{
    return code == SQLITE_IOERR || code == SQLITE_CANTOPEN;
}

QString DbError::cause() const
{
    QString plain;
    switch (code) {
    case SQLITE_FULL:
        plain = QStringLiteral("the disk is full");
        break;
    case SQLITE_READONLY:
    case SQLITE_PERM:
        plain = QStringLiteral("the file is read-only");
        break;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        plain = QStringLiteral("another program is holding it");
        break;
    case SQLITE_IOERR:
        plain = QStringLiteral("the disk could not be written");
        break;
    case SQLITE_CANTOPEN:
        plain = QStringLiteral("the file or its folder can't be opened");
        break;
    default:
        return text;
    }
    return text.isEmpty() ? plain : QStringLiteral("%1 (%2)").arg(plain, text);
}

DbError errorOf(const QSqlError& error)
{
    QString text = error.databaseText();
    if (text.isEmpty())
        text = error.text();
    return {text, error.nativeErrorCode().toInt() & 0xff};
}

HistoryDb::HistoryDb(QString path) : path_(std::move(path))
{
    connection_ = QStringLiteral("LexitorHistory-%1").arg(quintptr(this), 0, 16);
}

HistoryDb::~HistoryDb()
{
    close();
}

QSqlDatabase HistoryDb::db() const
{
    return QSqlDatabase::database(connection_, false);
}

void HistoryDb::open(Access access)
{
    close();
    access_ = access;
    QSqlDatabase d = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection_);
    d.setDatabaseName(access == Access::Frozen ? immutableUri(path_) : path_);
    QString options = QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(BusyTimeoutMs);
    if (access == Access::ReadOnly)
        options += QStringLiteral(";QSQLITE_OPEN_READONLY");
    else if (access == Access::Frozen)
        options += QStringLiteral(";QSQLITE_OPEN_READONLY;QSQLITE_OPEN_URI");
    d.setConnectOptions(options);
    if (!d.open()) {
        const DbError error = errorOf(d.lastError());
        close();
        throw error;
    }
    open_ = true;
    installStopHandlers();
}

void HistoryDb::close()
{
    if (QSqlDatabase::contains(connection_)) {
        {
            QSqlDatabase d = db();
            // Closing checkpoints the log into the file through the shared memory; when that can
            // no longer be written, leave the log for the next writer instead.
            if (open_ && !isReadOnly() &&
                (existsUnwritable(path_) || existsUnwritable(path_ + QStringLiteral("-wal")) ||
                 existsUnwritable(path_ + QStringLiteral("-shm")))) {
                if (sqlite3* handle = handleOf(d))
                    sqlite3_db_config(handle, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
            }
            d.close();
        }
        QSqlDatabase::removeDatabase(connection_);
    }
    open_ = false;
}

void HistoryDb::setBusyTimeout(int ms) const
{
    watch_.timeoutMs = ms;
    if (watch_.stop)
        return; // the stop's busy handler reads the timeout
    if (sqlite3* handle = handleOf(db()))
        sqlite3_busy_timeout(handle, ms);
}

void HistoryDb::stopWhen(const std::atomic<bool>* stop)
{
    watch_.stop = stop;
    installStopHandlers();
}

int HistoryDb::waitUnlessStopped(void* watch, int attempts)
{
    const auto* w = static_cast<const StopWatch*>(watch);
    if (w->stop->load(std::memory_order_relaxed) || attempts * StopPollMs >= w->timeoutMs)
        return 0;
    sqlite3_sleep(StopPollMs);
    return 1;
}

void HistoryDb::installStopHandlers() const
{
    sqlite3* handle = handleOf(db());
    if (!handle || !watch_.stop)
        return;
    sqlite3_progress_handler(handle, 1000, stopRequested,
                             const_cast<std::atomic<bool>*>(watch_.stop));
    sqlite3_busy_handler(handle, waitUnlessStopped, &watch_);
}

void HistoryDb::checkSharedMemory() const
{
    if (open_ && !isReadOnly() && existsUnwritable(path_ + QStringLiteral("-shm")))
        throw DbError{QStringLiteral("attempt to write a readonly database"), SQLITE_READONLY};
}

QSqlQuery HistoryDb::run(const QString& statement, const QVariantList& values) const
{
    checkSharedMemory();
    QSqlQuery q(db());
    q.setForwardOnly(true);
    if (!q.prepare(statement))
        throw errorOf(q.lastError());
    for (const QVariant& v : values)
        q.addBindValue(v);
    if (!q.exec())
        throw errorOf(q.lastError());
    return q;
}

void HistoryDb::runBatch(const QString& statement, const QList<QVariantList>& columns) const
{
    QSqlQuery q(db());
    if (!q.prepare(statement))
        throw errorOf(q.lastError());
    for (const QVariantList& column : columns)
        q.addBindValue(column);
    if (!q.execBatch())
        throw errorOf(q.lastError());
}

QVariant HistoryDb::scalar(const QString& statement, const QVariantList& values) const
{
    QSqlQuery q = run(statement, values);
    if (!q.next()) {
        if (q.lastError().isValid())
            throw errorOf(q.lastError());
        return {};
    }
    return q.value(0);
}

void HistoryDb::rollback() const
{
    QSqlQuery(db()).exec(QStringLiteral("ROLLBACK"));
}

QVariant msOrNull(const QDateTime& at)
{
    return at.isValid() ? QVariant(at.toMSecsSinceEpoch()) : QVariant();
}

QDateTime fromMs(const QVariant& value)
{
    return value.isNull() ? QDateTime()
                          : QDateTime::fromMSecsSinceEpoch(value.toLongLong(), Qt::UTC);
}
