#include "HistoryDb.h"

#include <QSqlError>

namespace {

// SQLite's primary result codes that tell a damaged file from one that can't be written.
constexpr int SqliteCorrupt = 11;
constexpr int SqliteNotADatabase = 26;

} // namespace

bool DbError::damaged() const
{
    return code == SqliteCorrupt || code == SqliteNotADatabase;
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

void HistoryDb::open()
{
    close();
    QSqlDatabase d = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection_);
    d.setDatabaseName(path_);
    d.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(BusyTimeoutMs));
    if (!d.open())
        throw errorOf(d.lastError());
    open_ = true;
}

void HistoryDb::close()
{
    if (QSqlDatabase::contains(connection_)) {
        {
            QSqlDatabase d = db();
            d.close();
        }
        QSqlDatabase::removeDatabase(connection_);
    }
    open_ = false;
}

QSqlQuery HistoryDb::run(const QString& statement, const QVariantList& values) const
{
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
