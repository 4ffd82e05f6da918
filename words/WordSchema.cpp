#include "words/WordSchema.h"

#include "base/ErrorReporting.h"
#include "words/StatementLimit.h"

#include <QAtomicInt>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <QVariant>

#include <algorithm>

namespace WordSchema {

bool isWordLength(int length)
{
    return length >= ShortestWord && length <= LongestWord;
}

namespace {

QString lengthWord(int length)
{
    switch (length) {
    case 2:
        return QStringLiteral("Two");
    case 3:
        return QStringLiteral("Three");
    case 4:
        return QStringLiteral("Four");
    default:
        throw AppError(
            QStringLiteral("No word list for words of %1 letters (only 2, 3 and 4)").arg(length));
    }
}

} // namespace

QString viewName(int length)
{
    return QStringLiteral("qry%1Words").arg(lengthWord(length));
}

QString tableName(int length)
{
    return QStringLiteral("tbl%1Words").arg(lengthWord(length));
}

bool isStorableWord(const QString& word)
{
    if (!isWordLength(int(word.size())))
        return false;
    return std::all_of(word.begin(), word.end(),
                       [](QChar c) { return c >= QLatin1Char('A') && c <= QLatin1Char('Z'); });
}

QStringList createStatements()
{
    QStringList statements;
    for (int length = ShortestWord; length <= LongestWord; ++length) {
        statements.append(QStringLiteral("CREATE TABLE %1 (fldword TEXT NOT NULL PRIMARY KEY "
                                         "CHECK (length(fldword) = %2)) WITHOUT ROWID")
                              .arg(tableName(length))
                              .arg(length));
        statements.append(QStringLiteral("CREATE VIEW %1 AS SELECT fldword FROM %2")
                              .arg(viewName(length), tableName(length)));
    }
    statements.append(QStringLiteral("CREATE TABLE %1 (fldword TEXT NOT NULL PRIMARY KEY, "
                                     "fldmeaning TEXT NOT NULL) WITHOUT ROWID")
                          .arg(MeaningTable));
    return statements;
}

namespace {

QString describe(const QSqlError& error)
{
    const QString text = error.databaseText();
    return text.isEmpty() ? error.text() : text;
}

// Runs the writing on its own connection and removes the connection afterwards, whatever happens.
class WriterConnection
{
public:
    explicit WriterConnection(const QString& path, const QString& options = QString())
        : name_(QStringLiteral("WordSchemaWriter%1").arg(counter_.fetchAndAddRelaxed(1)))
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name_);
        if (!db.isValid())
            throw AppError(describe(db.lastError()));
        db.setDatabaseName(path);
        db.setConnectOptions(options);
        if (!db.open())
            throw AppError(describe(db.lastError()));
    }
    ~WriterConnection()
    {
        {
            QSqlDatabase db = QSqlDatabase::database(name_, false);
            if (db.isOpen())
                db.close();
        }
        QSqlDatabase::removeDatabase(name_);
    }
    WriterConnection(const WriterConnection&) = delete;
    WriterConnection& operator=(const WriterConnection&) = delete;

    QSqlDatabase database() const { return QSqlDatabase::database(name_, false); }

private:
    static inline QAtomicInt counter_;
    QString name_;
};

void run(QSqlQuery& query, const QString& statement)
{
    if (!query.exec(statement))
        throw AppError(describe(query.lastError()));
}

void insertAll(QSqlQuery& query, const QString& statement, const QList<QVariantList>& rows)
{
    if (!query.prepare(statement))
        throw AppError(describe(query.lastError()));
    for (const QVariantList& row : rows) {
        for (int i = 0; i < row.size(); ++i)
            query.bindValue(i, row[i]);
        if (!query.exec())
            throw AppError(describe(query.lastError()));
    }
}

} // namespace

namespace {

QString createIdTable()
{
    return QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (fldid TEXT NOT NULL PRIMARY KEY) "
                          "WITHOUT ROWID")
        .arg(ListIdTable);
}

void storeId(QSqlQuery& query, const QString& id)
{
    run(query, createIdTable());
    run(query, QStringLiteral("DELETE FROM %1").arg(ListIdTable));
    insertAll(query, QStringLiteral("INSERT INTO %1 (fldid) VALUES (?)").arg(ListIdTable), {{id}});
}

void storeGone(QSqlQuery& query, const QStringList& gone)
{
    run(query, QStringLiteral("CREATE TABLE %1 (%2 TEXT NOT NULL PRIMARY KEY) WITHOUT ROWID")
                   .arg(GoneTable, WordColumn));
    QList<QVariantList> rows;
    for (const QString& word : gone)
        rows.append({word});
    insertAll(query, QStringLiteral("INSERT INTO %1 (%2) VALUES (?)").arg(GoneTable, WordColumn),
              rows);
}

} // namespace

void writeDatabase(const QString& path, const QStringList& words,
                   const QHash<QString, QString>& meanings, const QString& listId,
                   const QStringList& gone)
{
    const QFileInfo target(path);
    if (target.exists() && (!target.isFile() || target.size() != 0))
        throw AppError(QStringLiteral("%1 already exists").arg(path));

    QStringList sorted = words;
    for (const QString& word : std::as_const(sorted))
        if (!isStorableWord(word))
            throw AppError(QStringLiteral("\"%1\" is not a word of 2 to 4 letters A-Z").arg(word));
    std::sort(sorted.begin(), sorted.end());
    const auto repeated = std::adjacent_find(sorted.begin(), sorted.end());
    if (repeated != sorted.end())
        throw AppError(QStringLiteral("\"%1\" is listed twice").arg(*repeated));

    WriterConnection connection(path);
    {
        QSqlDatabase db = connection.database();
        QSqlQuery query(db);
        // A plain rollback journal: the program opens the file read-only and needs no -wal or
        // -shm files beside it.
        run(query, QStringLiteral("PRAGMA journal_mode = DELETE"));
        if (!db.transaction())
            throw AppError(describe(db.lastError()));
        for (const QString& statement : createStatements())
            run(query, statement);
        QList<QVariantList> meaningRows;
        for (int length = ShortestWord; length <= LongestWord; ++length) {
            QList<QVariantList> rows;
            for (const QString& word : std::as_const(sorted)) {
                if (word.size() != length)
                    continue;
                rows.append({word});
                if (const auto meaning = meanings.constFind(word); meaning != meanings.cend())
                    meaningRows.append({word, *meaning});
            }
            insertAll(query,
                      QStringLiteral("INSERT INTO %1 (fldword) VALUES (?)").arg(tableName(length)),
                      rows);
        }
        insertAll(
            query,
            QStringLiteral("INSERT INTO %1 (fldword, fldmeaning) VALUES (?, ?)").arg(MeaningTable),
            meaningRows);
        if (!listId.isEmpty())
            storeId(query, listId);
        if (!gone.isEmpty())
            storeGone(query, gone);
        query.finish();
        if (!db.commit())
            throw AppError(describe(db.lastError()));
    }
}

namespace {

// A connection that reads the file as it is: no journal, -wal or -shm file is looked at or made.
QString immutableUri(const QString& path)
{
    return QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded) + QStringLiteral("?immutable=1");
}

const QString ReadOnly = QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_OPEN_URI");

} // namespace

namespace {

// A list read on a connection of its own, read-only and immutable, each statement within the
// time limit and cut short once cancelled is set.
struct ListReading
{
    ListReading(const QString& path, std::chrono::milliseconds timeLimit,
                const std::atomic<bool>* cancelled)
        : limit{QDeadlineTimer(timeLimit), cancelled}, connection(openList(path), ReadOnly)
    {
        limit.watch(connection.database());
        query.setForwardOnly(true);
    }
    static QString openList(const QString& path)
    {
        // SQLite would wait in open() for a writer to a FIFO.
        if (!QFileInfo(path).isFile())
            throw AppError(QStringLiteral("unable to open database file"));
        return immutableUri(path);
    }

    StatementLimit limit;
    WriterConnection connection;
    QSqlQuery query{connection.database()};
};

} // namespace

QList<qint64> countWords(const QString& path, const std::atomic<bool>* cancelled,
                         std::chrono::milliseconds timeLimit)
{
    ListReading reading(path, timeLimit, cancelled);
    QSqlQuery& query = reading.query;
    QList<qint64> counts;
    for (int length = ShortestWord; length <= LongestWord; ++length) {
        if (!query.exec(QStringLiteral("SELECT count(*) FROM %1").arg(viewName(length))))
            throw statementError(query.lastError());
        if (!query.next())
            throw statementError(query.lastError());
        counts.append(query.value(0).toLongLong());
    }
    return counts;
}

namespace {

// The words of every length on an open connection, 2 letters first.
QStringList wordsOn(QSqlQuery& query)
{
    QStringList words;
    for (int length = ShortestWord; length <= LongestWord; ++length) {
        if (!query.exec(QStringLiteral("SELECT %1 FROM %2").arg(WordColumn, viewName(length))))
            throw statementError(query.lastError());
        while (query.next())
            words.append(query.value(0).toString());
        if (query.lastError().isValid())
            throw statementError(query.lastError());
    }
    return words;
}

} // namespace

QStringList readWords(const QString& path, std::chrono::milliseconds timeLimit)
{
    ListReading reading(path, timeLimit, nullptr);
    return wordsOn(reading.query);
}

ListText readList(const QString& path, const std::atomic<bool>* cancelled,
                  std::chrono::milliseconds timeLimit)
{
    ListReading reading(path, timeLimit, cancelled);
    QSqlQuery& query = reading.query;
    ListText list;
    list.words = wordsOn(query);
    if (!query.exec(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name = '%1'")
                        .arg(MeaningTable)) ||
        !query.next())
        throw statementError(query.lastError());
    if (query.value(0).toInt() == 0)
        return list; // a list made before lists carried meanings
    if (!query.exec(QStringLiteral("SELECT %1, fldmeaning FROM %2").arg(WordColumn, MeaningTable)))
        throw statementError(query.lastError());
    while (query.next())
        list.meanings.insert(query.value(0).toString(), query.value(1).toString());
    if (query.lastError().isValid())
        throw statementError(query.lastError());
    return list;
}

void setListId(const QString& path, const QString& id)
{
    if (!QFileInfo(path).isFile())
        throw AppError(QStringLiteral("unable to open database file"));
    WriterConnection connection(path);
    QSqlDatabase db = connection.database();
    QSqlQuery query(db);
    run(query, QStringLiteral("PRAGMA journal_mode = DELETE"));
    if (!db.transaction())
        throw AppError(describe(db.lastError()));
    storeId(query, id);
    query.finish();
    if (!db.commit())
        throw AppError(describe(db.lastError()));
}

namespace {

// The values of one column of a table the file may lack (none then).
QStringList columnIfAny(const QString& path, const QString& table, const QString& column)
{
    if (!QFileInfo(path).isFile())
        throw AppError(QStringLiteral("unable to open database file"));
    WriterConnection connection(immutableUri(path), ReadOnly);
    QSqlQuery query(connection.database());
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'table' AND "
                                   "name = '%1'")
                        .arg(table)) ||
        !query.next())
        throw AppError(describe(query.lastError()));
    QStringList values;
    if (query.value(0).toInt() == 0)
        return values;
    if (!query.exec(QStringLiteral("SELECT %1 FROM %2").arg(column, table)))
        throw AppError(describe(query.lastError()));
    while (query.next())
        values.append(query.value(0).toString());
    return values;
}

} // namespace

QString listId(const QString& path)
{
    const QStringList ids = columnIfAny(path, ListIdTable, QStringLiteral("fldid"));
    return ids.isEmpty() ? QString() : ids.first();
}

QStringList wordsGone(const QString& path)
{
    return columnIfAny(path, GoneTable, WordColumn);
}

bool isWordDatabase(const QString& path)
{
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly) || file.read(16) != QByteArray("SQLite format 3\0", 16))
            return false;
    }
    try {
        WriterConnection connection(immutableUri(path), ReadOnly);
        QSqlQuery query(connection.database());
        if (!query.exec(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'table' "
                                       "AND name IN ('%1', '%2', '%3')")
                            .arg(tableName(2), tableName(3), tableName(4))) ||
            !query.next())
            return false;
        return query.value(0).toInt() == 3;
    } catch (const AppError&) {
        return false;
    }
}

} // namespace WordSchema
