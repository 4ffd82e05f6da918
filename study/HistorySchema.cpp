#include "study/HistorySchema.h"

#include "study/HistoryDb.h"
#include "study/MemoryPolicy.h"

#include <QSqlError>
#include <QSqlQuery>

#include <algorithm>
#include <cmath>

namespace HistorySchema {

namespace {

const QStringList CreateV1{
    QStringLiteral("CREATE TABLE answers(id INTEGER PRIMARY KEY, at_ms INTEGER NOT NULL, "
                   "test_kind TEXT NOT NULL, valid_kind INTEGER NOT NULL, length INTEGER NOT NULL, "
                   "word1 TEXT NOT NULL, word2 TEXT NOT NULL, word3 TEXT NOT NULL, "
                   "word4 TEXT NOT NULL, right_index INTEGER NOT NULL, "
                   "chosen_index INTEGER NOT NULL, response_ms INTEGER NOT NULL)"),
    QStringLiteral(
        "CREATE TABLE word_state(word TEXT NOT NULL PRIMARY KEY, valid INTEGER NOT NULL, "
        "stability REAL, difficulty REAL, first_review_ms INTEGER, "
        "last_review_ms INTEGER, due_ms INTEGER, step INTEGER NOT NULL, "
        "reviews INTEGER NOT NULL, lapses INTEGER NOT NULL, "
        "confusions INTEGER NOT NULL, last_confused_ms INTEGER, "
        "resisted INTEGER NOT NULL) WITHOUT ROWID"),
    QStringLiteral("CREATE TABLE meta(key TEXT NOT NULL PRIMARY KEY, value) WITHOUT ROWID"),
};

// The statements that bring a history from version i to i + 1, in order.
const QList<QStringList>& migrations()
{
    static const QList<QStringList> all{
        CreateV1,
        {QStringLiteral(
            "ALTER TABLE word_state ADD COLUMN missed_last INTEGER NOT NULL DEFAULT 0")},
        {QStringLiteral("CREATE TABLE undone(id INTEGER PRIMARY KEY, "
                        "answer_id INTEGER NOT NULL UNIQUE, at_ms INTEGER NOT NULL)")},
    };
    return all;
}

const QString StateColumns = QStringLiteral(
    "word, valid, stability, difficulty, first_review_ms, last_review_ms, due_ms, step, reviews, "
    "lapses, confusions, last_confused_ms, resisted, missed_last");

const QString AnswerColumns =
    QStringLiteral("at_ms, test_kind, valid_kind, length, word1, word2, "
                   "word3, word4, right_index, chosen_index, response_ms");

WordMemory readState(const DbRow& row)
{
    WordMemory m;
    m.word = row.text(0);
    m.valid = row.integer(1) != 0;
    if (!row.isNull(2))
        m.memory = Fsrs::MemoryState{row.real(2), row.real(3)};
    m.firstReview = row.time(4);
    m.lastReview = row.time(5);
    m.due = row.time(6);
    m.step = int(row.integer(7));
    m.reviews = int(row.integer(8));
    m.lapses = int(row.integer(9));
    m.confusions = int(row.integer(10));
    m.lastConfused = row.time(11);
    m.resisted = int(row.integer(12));
    m.missedLast = row.integer(13) != 0;
    return m;
}

AnswerRecord readAnswer(const QSqlQuery& q)
{
    AnswerRecord a;
    a.at = fromMs(q.value(0));
    a.testKind = q.value(1).toString();
    a.validKind = q.value(2).toBool();
    a.length = q.value(3).toInt();
    a.candidates = {q.value(4).toString(), q.value(5).toString(), q.value(6).toString(),
                    q.value(7).toString()};
    a.rightIndex = q.value(8).toInt();
    a.chosenIndex = q.value(9).toInt();
    a.responseMs = q.value(10).toLongLong();
    return a;
}

void throwIfFailed(const QSqlQuery& q)
{
    if (q.lastError().isValid())
        throw errorOf(q.lastError());
}

} // namespace

Kind identify(const HistoryDb& db, int* version)
{
    const int id = db.scalar(QStringLiteral("PRAGMA application_id")).toInt();
    *version = db.scalar(QStringLiteral("PRAGMA user_version")).toInt();
    if (id != 0 && id != ApplicationId)
        return Kind::Foreign;
    if (*version > Version)
        return id == ApplicationId ? Kind::Newer : Kind::Foreign;
    const int tables = db.scalar(QStringLiteral("SELECT count(*) FROM sqlite_master")).toInt();
    if (tables == 0)
        return *version == 0 ? Kind::New : Kind::Foreign;
    // Files of the first versions carry no mark: known by their tables.
    const int ours = db.scalar(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE "
                                              "type = 'table' AND name IN "
                                              "('answers', 'word_state', 'meta')"))
                         .toInt();
    return *version >= 1 && ours == 3 ? Kind::Ours : Kind::Foreign;
}

void migrate(const HistoryDb& db, int from)
{
    if (db.scalar(QStringLiteral("PRAGMA application_id")).toInt() != ApplicationId)
        db.run(QStringLiteral("PRAGMA application_id=%1").arg(ApplicationId));
    for (int v = from; v < Version; ++v) {
        db.transaction([&] {
            if (db.scalar(QStringLiteral("PRAGMA user_version")).toInt() != v)
                return;
            for (const QString& statement : migrations().at(v))
                db.run(statement);
            db.run(QStringLiteral("PRAGMA user_version=%1").arg(v + 1));
        });
    }
    // The answers by time, with what tells a right one: each day's figures read only that day's
    // answers. An index, no change of layout: older versions use the file as before.
    db.run(QStringLiteral("CREATE INDEX IF NOT EXISTS answers_by_time ON answers(at_ms, "
                          "right_index, chosen_index)"));
}

qint64 forEachAnswer(const HistoryDb& db, const std::function<void(const AnswerRecord&)>& sink,
                     qint64 afterId, qint64 throughId)
{
    QSqlQuery q =
        db.run(QStringLiteral("SELECT %1, id FROM answers WHERE id > ? AND id <= ? AND %2 "
                              "ORDER BY id")
                   .arg(AnswerColumns, countsOnly()),
               {afterId, throughId});
    qint64 last = afterId;
    while (q.next()) {
        sink(readAnswer(q));
        last = q.value(11).toLongLong();
    }
    throwIfFailed(q);
    return last;
}

qint64 insertAnswer(const HistoryDb& db, const AnswerRecord& a)
{
    QSqlQuery insert =
        db.run(QStringLiteral("INSERT INTO answers(%1) VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)")
                   .arg(AnswerColumns),
               {a.at.toMSecsSinceEpoch(), a.testKind, a.validKind ? 1 : 0, a.length,
                a.candidates.value(0), a.candidates.value(1), a.candidates.value(2),
                a.candidates.value(3), a.rightIndex, a.chosenIndex, a.responseMs});
    return insert.lastInsertId().toLongLong();
}

DueTally tallyDue(const HistoryDb& db, const QDateTime& now)
{
    // As the states read: a word without a stability is new, and a time missing is the earliest.
    const QDate day = MemoryPolicy::studyDay(now);
    const qint64 from = MemoryPolicy::dayStart(day).toMSecsSinceEpoch();
    const qint64 to = MemoryPolicy::dayStart(day.addDays(1)).toMSecsSinceEpoch();
    DueTally tally;
    tally.at = now;
    db.eachRow(QStringLiteral("SELECT length(word), "
                              "sum(due_ms IS NULL OR due_ms <= ?), "
                              "sum(valid AND (first_review_ms IS NULL OR first_review_ms < ?)), "
                              "sum(valid AND first_review_ms >= ? AND first_review_ms < ?) "
                              "FROM word_state WHERE stability IS NOT NULL GROUP BY 1"),
               {now.toMSecsSinceEpoch(), from, from, to}, [&](const DbRow& row) {
                   const qint64 length = row.integer(0);
                   if (length < 0 || length > DueTally::LongestWord)
                       return;
                   tally.due[size_t(length)] = int(row.integer(1));
                   tally.earlier[size_t(length)] = int(row.integer(2));
                   tally.introduced[size_t(length)] = int(row.integer(3));
               });
    return tally;
}

QStringList recentNonWords(const HistoryDb& db, int answers)
{
    QStringList shown;
    db.eachRow(QStringLiteral("SELECT valid_kind, right_index, word1, word2, word3, word4 FROM "
                              "(SELECT * FROM answers ORDER BY id DESC LIMIT ?) ORDER BY id"),
               {answers}, [&](const DbRow& row) {
                   AnswerRecord answer;
                   answer.validKind = row.integer(0) != 0;
                   answer.rightIndex = int(std::clamp<qint64>(row.integer(1), -1, 4));
                   for (int column = 2; column < 6; ++column)
                       answer.candidates.append(row.text(column));
                   shown += nonWordsShown(answer);
               });
    return shown;
}

qint64 lastAnswerId(const HistoryDb& db)
{
    return db.scalar(QStringLiteral("SELECT coalesce(max(id), 0) FROM answers")).toLongLong();
}

QString stateStamp(const HistoryDb& db)
{
    return db
        .scalar(
            QStringLiteral("SELECT (SELECT coalesce(max(id), 0) FROM answers) || ':' || "
                           "(SELECT coalesce(max(id), 0) FROM undone) || ':' || "
                           "(SELECT coalesce(group_concat(key || '=' || quote(value), ';'), '') "
                           "FROM (SELECT key, value FROM meta ORDER BY key))"))
        .toString();
}

int answerCount(const HistoryDb& db)
{
    // Each undo entry takes back one answer of the file: two counts SQLite keeps at hand.
    return db
        .scalar(QStringLiteral("SELECT (SELECT count(*) FROM answers) - "
                               "(SELECT count(*) FROM undone)"))
        .toInt();
}

QString countsOnly()
{
    return QStringLiteral("id NOT IN (SELECT answer_id FROM undone)");
}

namespace {

// "?,?,?" for n values.
QString places(qsizetype n)
{
    QStringList marks(n, QStringLiteral("?"));
    return marks.join(QLatin1Char(','));
}

} // namespace

void forEachAnswerShowing(const HistoryDb& db, const QStringList& words,
                          const QList<qint64>& skipping,
                          const std::function<void(const AnswerRecord&)>& sink)
{
    if (words.isEmpty())
        return;
    const QString in = places(words.size());
    QVariantList values;
    for (qint64 id : skipping)
        values.append(id);
    for (int column = 0; column < 4; ++column)
        for (const QString& w : words)
            values.append(w);
    QSqlQuery q = db.run(QStringLiteral("SELECT %1 FROM answers WHERE %2 AND id NOT IN (%3) AND "
                                        "(word1 IN (%4) OR word2 IN (%4) OR word3 IN (%4) OR "
                                        "word4 IN (%4)) ORDER BY id")
                             .arg(AnswerColumns, countsOnly(), places(skipping.size()), in),
                         values);
    while (q.next())
        sink(readAnswer(q));
    throwIfFailed(q);
}

void insertUndo(const HistoryDb& db, qint64 answerId, const QDateTime& at)
{
    db.run(QStringLiteral("INSERT OR IGNORE INTO undone(answer_id, at_ms) VALUES(?, ?)"),
           {answerId, at.toMSecsSinceEpoch()});
}

qint64 lastUndoId(const HistoryDb& db)
{
    return db.scalar(QStringLiteral("SELECT coalesce(max(id), 0) FROM undone")).toLongLong();
}

QStringList wordsTakenBackAfter(const HistoryDb& db, qint64 afterUndoId)
{
    QSqlQuery q = db.run(QStringLiteral("SELECT word1, word2, word3, word4 FROM answers JOIN "
                                        "undone ON undone.answer_id = answers.id "
                                        "WHERE undone.id > ?"),
                         {afterUndoId});
    QStringList words;
    while (q.next())
        for (int i = 0; i < 4; ++i)
            if (!words.contains(q.value(i).toString()))
                words.append(q.value(i).toString());
    throwIfFailed(q);
    return words;
}

namespace {

QHash<QString, WordMemory> readStateRows(const HistoryDb& db, const QString& where,
                                         const QVariantList& values)
{
    QHash<QString, WordMemory> states;
    if (where.isEmpty()) // counting first costs less than growing the table step by step
        states.reserve(db.scalar(QStringLiteral("SELECT count(*) FROM word_state")).toInt());
    db.eachRow(QStringLiteral("SELECT %1 FROM word_state%2").arg(StateColumns, where), values,
               [&](const DbRow& row) {
                   WordMemory m = readState(row);
                   states.insert(m.word, std::move(m));
               });
    return states;
}

} // namespace

QHash<QString, WordMemory> readStates(const HistoryDb& db)
{
    return readStateRows(db, QString(), {});
}

QHash<QString, WordMemory> readStatesOf(const HistoryDb& db, const QStringList& words)
{
    if (words.isEmpty())
        return {};
    QVariantList values;
    for (const QString& w : words)
        values.append(w);
    return readStateRows(db, QStringLiteral(" WHERE word IN (%1)").arg(places(words.size())),
                         values);
}

namespace {

const QString StatePlaces = QStringLiteral("?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?");

// One word_state row, in the order of StateColumns.
QVariantList stateValues(const WordMemory& m)
{
    return {m.word,
            m.valid ? 1 : 0,
            m.memory ? QVariant(m.memory->stability) : QVariant(),
            m.memory ? QVariant(m.memory->difficulty) : QVariant(),
            msOrNull(m.firstReview),
            msOrNull(m.lastReview),
            msOrNull(m.due),
            m.step,
            m.reviews,
            m.lapses,
            m.confusions,
            msOrNull(m.lastConfused),
            m.resisted,
            m.missedLast ? 1 : 0};
}

} // namespace

void writeState(const HistoryDb& db, const WordMemory& m)
{
    db.run(QStringLiteral("INSERT OR REPLACE INTO word_state(%1) VALUES(%2)")
               .arg(StateColumns, StatePlaces),
           stateValues(m));
}

void deleteState(const HistoryDb& db, const QString& word)
{
    db.run(QStringLiteral("DELETE FROM word_state WHERE word = ?"), {word});
}

void clearStates(const HistoryDb& db)
{
    db.run(QStringLiteral("DELETE FROM word_state"));
}

void replaceStates(const HistoryDb& db, const QHash<QString, WordMemory>& states)
{
    db.run(QStringLiteral("DELETE FROM main.word_state"));
    if (states.isEmpty())
        return;
    QList<QVariantList> columns(stateValues(WordMemory()).size());
    for (const WordMemory& m : states) {
        const QVariantList row = stateValues(m);
        for (qsizetype i = 0; i < row.size(); ++i)
            columns[i].append(row[i]);
    }
    db.runBatch(
        QStringLiteral("INSERT INTO main.word_state(%1) VALUES(%2)").arg(StateColumns, StatePlaces),
        columns);
}

QVariant meta(const HistoryDb& db, const QString& key)
{
    return db.scalar(QStringLiteral("SELECT value FROM meta WHERE key=?"), {key});
}

void setMeta(const HistoryDb& db, const QString& key, const QVariant& value)
{
    db.run(QStringLiteral("INSERT OR REPLACE INTO meta(key, value) VALUES(?, ?)"), {key, value});
}

std::optional<Fsrs::Weights> storedWeights(const HistoryDb& db)
{
    const QStringList parts =
        meta(db, QStringLiteral("weights")).toString().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (parts.size() != int(std::tuple_size_v<Fsrs::Weights>))
        return std::nullopt;
    Fsrs::Weights w{};
    for (std::size_t i = 0; i < w.size(); ++i) {
        bool ok = false;
        w[i] = parts.at(qsizetype(i)).toDouble(&ok);
        if (!ok || !std::isfinite(w[i]))
            return std::nullopt;
    }
    return w;
}

void storeWeights(const HistoryDb& db, const Fsrs::Weights& weights)
{
    QStringList text;
    for (double w : weights)
        text.append(QString::number(w, 'g', 17));
    setMeta(db, QStringLiteral("weights"), text.join(QLatin1Char(' ')));
}

} // namespace HistorySchema
