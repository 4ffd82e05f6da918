#include "study/HistoryDb.h"

#include "words/WordStore.h"

#include <QFile>
#include <QSqlDriver>
#include <QSqlError>

#include <memory>
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

namespace {

DbError errorOf(sqlite3* handle)
{
    return {QString::fromUtf8(sqlite3_errmsg(handle)), sqlite3_errcode(handle) & 0xff};
}

void bind(sqlite3_stmt* statement, int index, const QVariant& value)
{
    switch (value.isNull() ? QMetaType::UnknownType : value.typeId()) {
    case QMetaType::UnknownType:
        sqlite3_bind_null(statement, index);
        break;
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::LongLong:
        sqlite3_bind_int64(statement, index, value.toLongLong());
        break;
    case QMetaType::Double:
        sqlite3_bind_double(statement, index, value.toDouble());
        break;
    default: {
        const QByteArray text = value.toString().toUtf8();
        sqlite3_bind_text(statement, index, text.constData(), int(text.size()), SQLITE_TRANSIENT);
    }
    }
}

} // namespace

void HistoryDb::eachRow(const QString& statement, const QVariantList& values,
                        const std::function<void(const DbRow&)>& take) const
{
    checkSharedMemory();
    sqlite3* handle = handleOf(db());
    if (!handle)
        throw DbError{QStringLiteral("the history is not open"), SQLITE_MISUSE};
    sqlite3_stmt* prepared = nullptr;
    const QByteArray sql = statement.toUtf8();
    if (sqlite3_prepare_v2(handle, sql.constData(), int(sql.size()), &prepared, nullptr) !=
        SQLITE_OK)
        throw errorOf(handle);
    const std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> owned(prepared, sqlite3_finalize);
    for (int i = 0; i < values.size(); ++i)
        bind(prepared, i + 1, values.at(i));
    const DbRow row(prepared);
    int step = SQLITE_ROW;
    while ((step = sqlite3_step(prepared)) == SQLITE_ROW)
        take(row);
    if (step != SQLITE_DONE)
        throw errorOf(handle);
}

bool DbRow::isNull(int column) const
{
    return sqlite3_column_type(statement_, column) == SQLITE_NULL;
}

qint64 DbRow::integer(int column) const
{
    return sqlite3_column_int64(statement_, column);
}

double DbRow::real(int column) const
{
    return sqlite3_column_double(statement_, column);
}

QString DbRow::text(int column) const
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement_, column));
    return QString::fromUtf8(text, sqlite3_column_bytes(statement_, column));
}

QDateTime DbRow::time(int column) const
{
    return isNull(column) ? QDateTime() : QDateTime::fromMSecsSinceEpoch(integer(column), Qt::UTC);
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
