#include "WordDatabase.h"

#include "base/ErrorReporting.h"
#include "words/WordSchema.h"
#include "words/WordStore.h"

#include <QCryptographicHash>
#include <QFile>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

namespace WordDatabase {

void write(const QString& path, const QStringList& words, const QHash<QString, QString>& meanings)
{
    WordSchema::writeDatabase(path, words, meanings);
}

void openIn(WordStore& store, const QString& path, const QStringList& words,
            const QHash<QString, QString>& meanings)
{
    write(path, words, meanings);
    store.create();
    store.open(path);
}

QVariant execute(const QString& path, const QStringList& statements)
{
    static int serial = 0;
    const QString name = QStringLiteral("WordDatabaseTestSupport%1").arg(++serial);
    QString failure;
    QVariant first;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        if (!db.open()) {
            failure = db.lastError().text();
        } else {
            QSqlQuery query(db);
            for (const QString& statement : statements) {
                if (!query.exec(statement)) {
                    failure = statement + QStringLiteral(": ") + query.lastError().text();
                    break;
                }
                first = query.next() ? query.value(0) : QVariant();
            }
            query.finish();
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(name);
    if (!failure.isEmpty())
        throw AppError(failure);
    return first;
}

void damageTable(const QString& path, const QString& table)
{
    const qint64 pageSize = execute(path, {QStringLiteral("PRAGMA page_size")}).toLongLong();
    const qint64 root =
        execute(path,
                {QStringLiteral("SELECT rootpage FROM sqlite_schema WHERE name = '%1'").arg(table)})
            .toLongLong();
    QFile file(path);
    if (root < 1 || !file.open(QIODevice::ReadWrite) || !file.seek((root - 1) * pageSize) ||
        file.write(QByteArray(pageSize, char(0xA5))) != pageSize)
        throw AppError(QStringLiteral("can't damage %1 in %2").arg(table, path));
}

void dropView(const QString& path, int length)
{
    execute(path, {QStringLiteral("DROP VIEW %1").arg(WordSchema::viewName(length))});
}

void replaceView(const QString& path, int length, const QString& select)
{
    const QString view = WordSchema::viewName(length);
    execute(path, {QStringLiteral("DROP VIEW %1").arg(view),
                   QStringLiteral("CREATE VIEW %1 AS %2").arg(view, select)});
}

void renameWordColumn(const QString& path, int length)
{
    replaceView(
        path, length,
        QStringLiteral("SELECT fldword AS word FROM %1").arg(WordSchema::tableName(length)));
}

void nullWordAt(const QString& path, int length, int row)
{
    // Numbers the rows in word order and blanks out one of them; the order stays alphabetical.
    replaceView(path, length,
                QStringLiteral("SELECT CASE WHEN n = %2 THEN NULL ELSE fldword END AS fldword "
                               "FROM (SELECT fldword, row_number() OVER (ORDER BY fldword) AS n "
                               "FROM %1) ORDER BY n")
                    .arg(WordSchema::tableName(length))
                    .arg(row));
}

void writeRandomBytes(const QString& path, int size)
{
    QByteArray bytes(size, '\0');
    QRandomGenerator generator(20210831);
    for (char& b : bytes)
        b = char(generator.bounded(256));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        throw AppError(file.errorString());
}

void writeEmptyFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw AppError(file.errorString());
}

QStringList sequentialWords(int length, int count)
{
    QStringList words;
    words.reserve(count);
    for (int i = 0; i < count; ++i) {
        QString word(length, QLatin1Char('A'));
        int rest = i;
        for (int k = length - 1; k >= 0; --k) {
            word[k] = QChar(u'A' + rest % 26);
            rest /= 26;
        }
        words.append(word);
    }
    return words;
}

namespace {

// The first column of every row the statement gives, as text.
QStringList select(const QString& path, const QString& statement)
{
    const QString name = QStringLiteral("WordDatabaseTestReader");
    QStringList words;
    QString failure;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (!db.open()) {
            failure = db.lastError().text();
        } else {
            QSqlQuery query(db);
            if (!query.exec(statement))
                failure = query.lastError().text();
            while (query.next())
                words.append(query.value(0).toString());
            query.finish();
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(name);
    if (!failure.isEmpty())
        throw AppError(failure);
    return words;
}

} // namespace

QStringList listWords(const QString& path, int length)
{
    return select(path, QStringLiteral("SELECT * FROM %1").arg(WordSchema::viewName(length)));
}

QStringList meanings(const QString& path)
{
    return select(path, QStringLiteral("SELECT fldword || ' ' || fldmeaning FROM %1 ORDER BY 1")
                            .arg(WordSchema::MeaningTable));
}

QByteArray fileHash(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(&file);
    return hash.result();
}

} // namespace WordDatabase
