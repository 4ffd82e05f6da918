#include "words/WordStore.h"

#include "base/ErrorReporting.h"
#include "base/Random.h"
#include "words/StatementLimit.h"
#include "words/WordSchema.h"

#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <QVariant>

#include <limits>

namespace {

const QString Driver = QStringLiteral("QSQLITE");

AppError notSet()
{
    return AppError(QStringLiteral("Object variable or With block variable not set"));
}

// A query on the connection, prepared and checked: a failed prepare reported at once instead of as
// a "Parameter count mismatch" at exec().
QSqlQuery prepared(const QSqlDatabase& db, const QString& statement)
{
    if (!db.isOpen())
        throw AppError(QStringLiteral("Operation is not allowed when the object is closed."));
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.prepare(statement))
        throw statementError(query.lastError());
    return query;
}

void execute(QSqlQuery& query)
{
    if (!query.exec())
        throw statementError(query.lastError());
}

// Steps to the next row; false at the end, an exception when stepping failed.
bool nextRow(QSqlQuery& query)
{
    if (query.next())
        return true;
    if (query.lastError().isValid())
        throw statementError(query.lastError());
    return false;
}

bool hasTable(const QSqlDatabase& db, const QString& name)
{
    QSqlQuery query =
        prepared(db, QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name = ?"));
    query.addBindValue(name);
    execute(query);
    return nextRow(query) && query.value(0).toInt() == 1;
}

// Closes and removes the named connection. No QSqlDatabase copy of it may be alive, or Qt warns
// that the connection is still in use.
void dropConnection()
{
    if (!QSqlDatabase::contains(WordStore::ConnectionName))
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(WordStore::ConnectionName, false);
        if (db.isOpen())
            db.close();
    }
    QSqlDatabase::removeDatabase(WordStore::ConnectionName);
}

} // namespace

// Every byte but letters, digits, "-._~" and "/" is percent-encoded, so '?', '#', '%' and blanks in
// a folder name stay part of the path.
QString immutableUri(const QString& path)
{
    const QByteArray encoded = QUrl::toPercentEncoding(QFileInfo(path).absoluteFilePath(), "/");
    return QStringLiteral("file://") + QString::fromLatin1(encoded) +
           QStringLiteral("?mode=ro&immutable=1");
}

WordStore::WordStore(RandomSource& random) : random_(random) {}

WordStore::~WordStore()
{
    release();
}

QSqlDatabase WordStore::connection() const
{
    if (!created_ || !QSqlDatabase::contains(ConnectionName))
        throw notSet();
    return QSqlDatabase::database(ConnectionName, false);
}

void WordStore::create()
{
    // Without the driver there is nothing to create; the connection object, if any, stays.
    if (!QSqlDatabase::isDriverAvailable(Driver)) {
        const QString probe = ConnectionName + QStringLiteral("Probe");
        QString message;
        {
            const QSqlDatabase db = QSqlDatabase::addDatabase(Driver, probe);
            message = statementError(db.lastError()).description();
        }
        QSqlDatabase::removeDatabase(probe);
        throw AppError(message);
    }
    // A new object replaces the previous one.
    release();
    dropConnection();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(Driver, ConnectionName);
        if (!db.isValid()) {
            const AppError error = statementError(db.lastError());
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(ConnectionName);
            throw error;
        }
        // Nothing can write through this connection, and opening a missing file creates none.
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_OPEN_URI"));
    }
    created_ = true;
}

bool WordStore::isOpen() const
{
    return connection().isOpen();
}

void WordStore::close()
{
    QSqlDatabase db = connection();
    lists_.clear();
    db.close();
}

void WordStore::open(const QString& databasePath)
{
    QSqlDatabase db = connection();
    lists_.clear();
    // SQLite would wait in open() for a writer to a FIFO; anything but a regular file is missing.
    if (!QFileInfo(databasePath).isFile())
        throw AppError(QStringLiteral("unable to open database file"));
    db.setDatabaseName(immutableUri(databasePath));
    if (!db.open())
        throw statementError(db.lastError());
    limit_.watch(db);
    startClock();

    // SQLite opens any file, even an empty one or one of random bytes, and only the first query
    // finds out. Look at the file now, so that a file that is no word database fails here: its
    // schema must be readable and hold at least one of the word lists.
    try {
        QSqlQuery check = prepared(db, QStringLiteral("SELECT count(*) FROM sqlite_master "
                                                      "WHERE name IN (?, ?, ?)"));
        for (int length = WordSchema::ShortestWord; length <= WordSchema::LongestWord; ++length)
            check.addBindValue(WordSchema::viewName(length));
        execute(check);
        if (!nextRow(check))
            throw AppError(QStringLiteral("file is not a database"));
        if (check.value(0).toInt() == 0) {
            // Let the database say what is missing ("no such table: qryTwoWords").
            QSqlQuery first =
                prepared(db, QStringLiteral("SELECT %1 FROM %2 LIMIT 0")
                                 .arg(WordSchema::WordColumn,
                                      WordSchema::viewName(WordSchema::ShortestWord)));
            execute(first);
            throw AppError(QStringLiteral("no such table: %1")
                               .arg(WordSchema::viewName(WordSchema::ShortestWord)));
        }
        hasMeanings_ = hasTable(db, WordSchema::MeaningTable);
        gone_.clear();
        if (hasTable(db, WordSchema::GoneTable)) {
            QSqlQuery gone = prepared(db, QStringLiteral("SELECT %1 FROM %2")
                                              .arg(WordSchema::WordColumn, WordSchema::GoneTable));
            execute(gone);
            while (nextRow(gone))
                gone_.insert(gone.value(0).toString());
        }
        path_ = databasePath;
    } catch (const AppError&) {
        db.close();
        throw;
    }
}

void WordStore::release()
{
    if (!created_)
        return;
    created_ = false;
    lists_.clear();
    dropConnection();
}

bool WordStore::IsWordInDb(int length, const QString& word)
{
    const QString view = WordSchema::viewName(length);
    const QSqlDatabase db = connection();
    startClock();
    // The word travels as a bound value: any text, quotes included, is only ever compared.
    QSqlQuery query = prepared(db, QStringLiteral("select * from %1 where fldword=?").arg(view));
    query.addBindValue(word);
    execute(query);
    return nextRow(query);
}

QString WordStore::GetRandomDbWord(int length)
{
    const QString view = WordSchema::viewName(length);
    const QSqlDatabase db = connection();
    startClock();

    qint64 rows = 0;
    {
        QSqlQuery count =
            prepared(db, QStringLiteral("select count(*) from (select * from %1)").arg(view));
        execute(count);
        if (nextRow(count))
            rows = count.value(0).toLongLong();
    }
    if (rows == 0)
        return QString();
    // The row count is a 16-bit number.
    if (rows > std::numeric_limits<qint16>::max())
        throw AppError::overflow();
    const int r = RandomBetween(random_, 1, qint16(rows));

    // Row r, counting the first as 1, without stepping through the rows before it.
    QSqlQuery pick = prepared(db, QStringLiteral("select * from %1 limit 1 offset ?").arg(view));
    pick.addBindValue(r - 1);
    execute(pick);
    if (!nextRow(pick))
        throw AppError(QStringLiteral("Either BOF or EOF is True, or the current record has been "
                                      "deleted. Requested operation requires a current record."));
    const QVariant value = pick.value(0);
    if (value.isNull())
        throw AppError::invalidUseOfNull();
    return value.toString();
}

QStringList WordStore::words(int length) const
{
    const QString view = WordSchema::viewName(length);
    const QSqlDatabase db = connection();
    if (const auto read = lists_.constFind(length); read != lists_.cend() && db.isOpen())
        return *read;
    startClock();
    QSqlQuery query = prepared(db, QStringLiteral("select * from %1").arg(view));
    execute(query);
    QStringList all;
    while (nextRow(query))
        all.append(query.value(0).toString());
    lists_.insert(length, all);
    return all;
}

QString WordStore::meaning(const QString& word) const
{
    const QSqlDatabase db = connection();
    if (!hasMeanings_ || !db.isOpen())
        return QString();
    startClock();
    QSqlQuery query = prepared(db, QStringLiteral("SELECT fldmeaning FROM %1 WHERE fldword = ?")
                                       .arg(WordSchema::MeaningTable));
    query.addBindValue(word);
    execute(query);
    return nextRow(query) ? query.value(0).toString() : QString();
}
