#include "words/StatementLimit.h"

#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QVariant>

#include <sqlite3.h>

namespace {

// Called by SQLite every thousand or so steps of a statement; a non-zero answer interrupts it.
int pastLimit(void* limit)
{
    return static_cast<const StatementLimit*>(limit)->passed() ? 1 : 0;
}

} // namespace

bool StatementLimit::passed() const
{
    return deadline.hasExpired() || (cancelled && cancelled->load(std::memory_order_relaxed));
}

void StatementLimit::watch(const QSqlDatabase& db)
{
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return;
    sqlite3* connection = *static_cast<sqlite3* const*>(handle.constData());
    if (connection)
        sqlite3_progress_handler(connection, 1000, pastLimit, this);
}

AppError statementError(const QSqlError& error)
{
    if (error.nativeErrorCode() == QString::number(SQLITE_INTERRUPT))
        return AppError(QStringLiteral("Query timeout expired"));
    const QString text = error.databaseText();
    if (!text.isEmpty())
        return AppError(text);
    if (!error.text().isEmpty())
        return AppError(error.text());
    return AppError(QStringLiteral("Unknown database error"));
}
