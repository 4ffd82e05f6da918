#include "History.h"

#include "Branding.h"
#include "Calibration.h"
#include "WordCounts.h"
#include "WordStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QVariant>

#include <algorithm>
#include <cmath>

namespace {

// SQLite's primary result codes that tell a damaged file from one that can't be written.
constexpr int SqliteCorrupt = 11;
constexpr int SqliteNotADatabase = 26;
constexpr int BusyTimeoutMs = 5000;

// A failed statement, with what SQLite said and whether the file itself is damaged.
struct DbError
{
    QString text;
    bool damaged;
};

DbError errorOf(const QSqlError& error)
{
    const int code = error.nativeErrorCode().toInt() & 0xff;
    QString text = error.databaseText();
    if (text.isEmpty())
        text = error.text();
    return {text, code == SqliteCorrupt || code == SqliteNotADatabase};
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
    };
    return all;
}

const QString StateColumns = QStringLiteral(
    "word, valid, stability, difficulty, first_review_ms, last_review_ms, due_ms, step, reviews, "
    "lapses, confusions, last_confused_ms, resisted, missed_last");

WordMemory readState(const QSqlQuery& q)
{
    WordMemory m;
    m.word = q.value(0).toString();
    m.valid = q.value(1).toBool();
    if (!q.value(2).isNull())
        m.memory = Fsrs::MemoryState{q.value(2).toDouble(), q.value(3).toDouble()};
    m.firstReview = fromMs(q.value(4));
    m.lastReview = fromMs(q.value(5));
    m.due = fromMs(q.value(6));
    m.step = q.value(7).toInt();
    m.reviews = q.value(8).toInt();
    m.lapses = q.value(9).toInt();
    m.confusions = q.value(10).toInt();
    m.lastConfused = fromMs(q.value(11));
    m.resisted = q.value(12).toInt();
    m.missedLast = q.value(13).toBool();
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

const QString AnswerColumns =
    QStringLiteral("at_ms, test_kind, valid_kind, length, word1, word2, "
                   "word3, word4, right_index, chosen_index, response_ms");

} // namespace

class History::Impl
{
public:
    Impl(History& owner) : owner(owner)
    {
        connection = QStringLiteral("LexitorHistory-%1").arg(quintptr(this), 0, 16);
    }
    ~Impl() { closeDb(); }

    History& owner;
    QString connection;
    bool tried = false;
    bool dbOpen = false; // the file is open and of our schema
    bool saving = false; // and answers are being written to it
    bool toldNotSaving = false;
    bool cacheLoaded = false;
    QHash<QString, WordMemory> cache;
    qint64 lastSeenId = 0;

    QSqlDatabase db() const { return QSqlDatabase::database(connection, false); }

    // Runs one statement; throws DbError.
    QSqlQuery run(const QString& statement, const QVariantList& values = {}) const
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
    QVariant scalar(const QString& statement, const QVariantList& values = {}) const
    {
        QSqlQuery q = run(statement, values);
        if (!q.next()) {
            if (q.lastError().isValid())
                throw errorOf(q.lastError());
            return {};
        }
        return q.value(0);
    }

    void closeDb()
    {
        if (QSqlDatabase::contains(connection)) {
            {
                QSqlDatabase d = db();
                d.close();
            }
            QSqlDatabase::removeDatabase(connection);
        }
        dbOpen = false;
        saving = false;
    }

    void tellNotSaving(const QString& reason)
    {
        saving = false;
        if (toldNotSaving)
            return;
        toldNotSaving = true;
        owner.messages_.show(
            QStringLiteral("Your progress is not being saved.\r\n\r\nThe study history\r\n%1\r\n"
                           "can't be written: %2\r\n\r\nEvery test still works.")
                .arg(QDir::toNativeSeparators(owner.path_), reason),
            Branding::ProductName, MessageIcon::Warning);
    }

    // Moves the file (and SQLite's journal files beside it) to a dated name. Returns the new name,
    // or "" when it could not be moved.
    QString moveAside(const QString& why)
    {
        closeDb();
        const QFileInfo info(owner.path_);
        const QString stamp =
            QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
        QString target;
        for (int n = 1; n < 100; ++n) {
            target = info.absolutePath() + QLatin1Char('/') + info.completeBaseName() +
                     QLatin1Char('-') + why + QLatin1Char('-') + stamp +
                     (n > 1 ? QStringLiteral("-%1").arg(n) : QString()) + QLatin1Char('.') +
                     info.suffix();
            if (!QFile::exists(target))
                break;
        }
        if (!QFile::rename(owner.path_, target))
            return QString();
        for (const QString& side : {QStringLiteral("-wal"), QStringLiteral("-shm")})
            if (QFile::exists(owner.path_ + side))
                QFile::rename(owner.path_ + side, target + side);
        return target;
    }

    enum class Outcome
    {
        Ready,
        Damaged,
        Unwritable
    };

    Outcome tryOpen(QString* reason)
    {
        const QFileInfo info(owner.path_);
        if (!QDir().mkpath(info.absolutePath())) {
            *reason = QStringLiteral("its folder can't be created");
            return Outcome::Unwritable;
        }
        {
            QSqlDatabase d = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
            d.setDatabaseName(owner.path_);
            d.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(BusyTimeoutMs));
            if (!d.open()) {
                *reason = errorOf(d.lastError()).text;
                return Outcome::Unwritable;
            }
        }
        dbOpen = true;
        try {
            const QString check = scalar(QStringLiteral("PRAGMA quick_check")).toString();
            if (check != QStringLiteral("ok")) {
                *reason = check;
                return Outcome::Damaged;
            }
            const int version = scalar(QStringLiteral("PRAGMA user_version")).toInt();
            const int tables = scalar(QStringLiteral("SELECT count(*) FROM sqlite_master")).toInt();
            if (version == 0 && tables > 0) {
                *reason = QStringLiteral("it is not a study history");
                return Outcome::Damaged;
            }
            if (version > SchemaVersion) {
                // A newer program's history: read it, but leave it as it is.
                *reason = QStringLiteral("it was written by a newer version of the program");
                return Outcome::Unwritable;
            }
            if (!QFileInfo(owner.path_).isWritable()) {
                *reason = QStringLiteral("the file is read-only");
                return Outcome::Unwritable;
            }
            run(QStringLiteral("PRAGMA journal_mode=WAL"));
            run(QStringLiteral("PRAGMA synchronous=NORMAL"));
            for (int v = version; v < SchemaVersion; ++v) {
                run(QStringLiteral("BEGIN IMMEDIATE"));
                try {
                    // Another program may have migrated it while this one waited.
                    if (scalar(QStringLiteral("PRAGMA user_version")).toInt() == v) {
                        for (const QString& statement : migrations().at(v))
                            run(statement);
                        run(QStringLiteral("PRAGMA user_version=%1").arg(v + 1));
                    }
                    run(QStringLiteral("COMMIT"));
                } catch (const DbError&) {
                    run(QStringLiteral("ROLLBACK"));
                    throw;
                }
            }
            saving = true;
            loadWeights();
            const QVariant grading =
                scalar(QStringLiteral("SELECT value FROM meta WHERE key='grading'"));
            if (grading.isNull() || grading.toInt() != owner.policy_.rulesVersion())
                rebuildStored();
            return Outcome::Ready;
        } catch (const DbError& e) {
            *reason = e.text;
            return e.damaged ? Outcome::Damaged : Outcome::Unwritable;
        }
    }

    void open()
    {
        if (tried)
            return;
        tried = true;
        if (owner.path_.isEmpty())
            return; // a history kept in memory on purpose
        QString reason;
        Outcome outcome = tryOpen(&reason);
        if (outcome == Outcome::Damaged) {
            const QString movedTo = moveAside(QStringLiteral("damaged"));
            if (movedTo.isEmpty()) {
                tellNotSaving(QStringLiteral("it is damaged and can't be moved aside"));
                return;
            }
            owner.messages_.show(
                QStringLiteral("The study history was damaged, so a new one has been started.\r\n"
                               "\r\nThe damaged file was kept as\r\n%1")
                    .arg(QDir::toNativeSeparators(movedTo)),
                Branding::ProductName, MessageIcon::Warning);
            outcome = tryOpen(&reason);
        }
        if (outcome != Outcome::Ready) {
            // Keep what can still be read for this run; write nothing.
            if (outcome == Outcome::Damaged)
                closeDb();
            tellNotSaving(reason);
        }
    }

    // The weights fitted earlier, if any, replace the policy's.
    void loadWeights()
    {
        const QStringList parts =
            scalar(QStringLiteral("SELECT value FROM meta WHERE key='weights'"))
                .toString()
                .split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (parts.size() != int(std::tuple_size_v<Fsrs::Weights>))
            return;
        Fsrs::Weights w{};
        for (std::size_t i = 0; i < w.size(); ++i) {
            bool ok = false;
            w[i] = parts.at(qsizetype(i)).toDouble(&ok);
            if (!ok || !std::isfinite(w[i]))
                return;
        }
        owner.policy_.model = Fsrs::Model(w);
    }

    QList<AnswerRecord> allAnswers() const
    {
        QList<AnswerRecord> list;
        QSqlQuery q = run(QStringLiteral("SELECT %1 FROM answers ORDER BY id").arg(AnswerColumns));
        while (q.next())
            list.append(readAnswer(q));
        if (q.lastError().isValid())
            throw errorOf(q.lastError());
        return list;
    }

    // Replays every stored answer into fresh stored states, in one transaction.
    void rebuildStored()
    {
        run(QStringLiteral("BEGIN IMMEDIATE"));
        try {
            QHash<QString, WordMemory> words = replay();
            run(QStringLiteral("DELETE FROM word_state"));
            for (const WordMemory& m : std::as_const(words))
                writeState(m);
            run(QStringLiteral("INSERT OR REPLACE INTO meta(key, value) VALUES('grading', ?)"),
                {owner.policy_.rulesVersion()});
            run(QStringLiteral("COMMIT"));
            cache = words;
            cacheLoaded = true;
        } catch (const DbError&) {
            run(QStringLiteral("ROLLBACK"));
            throw;
        }
    }

    QHash<QString, WordMemory> replay()
    {
        QHash<QString, WordMemory> words;
        QSqlQuery q =
            run(QStringLiteral("SELECT %1, id FROM answers ORDER BY id").arg(AnswerColumns));
        while (q.next()) {
            owner.policy_.apply(words, readAnswer(q));
            lastSeenId = q.value(11).toLongLong();
        }
        if (q.lastError().isValid())
            throw errorOf(q.lastError());
        return words;
    }

    void writeState(const WordMemory& m)
    {
        run(QStringLiteral("INSERT OR REPLACE INTO word_state(%1) "
                           "VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)")
                .arg(StateColumns),
            {m.word, m.valid ? 1 : 0, m.memory ? QVariant(m.memory->stability) : QVariant(),
             m.memory ? QVariant(m.memory->difficulty) : QVariant(), msOrNull(m.firstReview),
             msOrNull(m.lastReview), msOrNull(m.due), m.step, m.reviews, m.lapses, m.confusions,
             msOrNull(m.lastConfused), m.resisted, m.missedLast ? 1 : 0});
    }

    void loadCache()
    {
        if (cacheLoaded)
            return;
        cache.clear();
        cacheLoaded = true;
        if (!dbOpen)
            return;
        try {
            QSqlQuery q = run(QStringLiteral("SELECT %1 FROM word_state").arg(StateColumns));
            while (q.next()) {
                WordMemory m = readState(q);
                cache.insert(m.word, m);
            }
            lastSeenId =
                scalar(QStringLiteral("SELECT coalesce(max(id), 0) FROM answers")).toLongLong();
        } catch (const DbError&) {
            // Whatever was read stays; the next write finds out what is wrong.
        }
    }

    // Writes one answer and the states it changes in one transaction. The states are read
    // inside it, so answers written meanwhile by another program are built upon.
    void write(const AnswerRecord& a)
    {
        run(QStringLiteral("BEGIN IMMEDIATE"));
        try {
            const qint64 before =
                scalar(QStringLiteral("SELECT coalesce(max(id), 0) FROM answers")).toLongLong();
            QSqlQuery insert = run(
                QStringLiteral("INSERT INTO answers(%1) VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)")
                    .arg(AnswerColumns),
                {a.at.toMSecsSinceEpoch(), a.testKind, a.validKind ? 1 : 0, a.length,
                 a.candidates.value(0), a.candidates.value(1), a.candidates.value(2),
                 a.candidates.value(3), a.rightIndex, a.chosenIndex, a.responseMs});
            const qint64 id = insert.lastInsertId().toLongLong();
            insert.finish();
            const QStringList touched = MemoryPolicy::touchedWords(a);
            QHash<QString, WordMemory> words;
            {
                QSqlQuery q =
                    run(QStringLiteral("SELECT %1 FROM word_state WHERE word IN "
                                       "(?, ?, ?, ?)")
                            .arg(StateColumns),
                        {touched.value(0), touched.value(1), touched.value(2), touched.value(3)});
                while (q.next()) {
                    WordMemory m = readState(q);
                    words.insert(m.word, m);
                }
            }
            owner.policy_.apply(words, a);
            for (const WordMemory& m : std::as_const(words))
                writeState(m);
            run(QStringLiteral("COMMIT"));
            if (cacheLoaded) {
                if (before != lastSeenId) {
                    cacheLoaded = false; // another program wrote meanwhile: read it all again
                } else {
                    for (const WordMemory& m : std::as_const(words))
                        cache.insert(m.word, m);
                }
            }
            lastSeenId = id;
        } catch (const DbError&) {
            QSqlQuery(db()).exec(QStringLiteral("ROLLBACK"));
            throw;
        }
    }
};

QString History::defaultPath()
{
    // The per-user data folder by the XDG rules, named like the settings: organisation, then
    // application. Without a home folder there is none (not the filesystem root), and the
    // history stays in memory, as the settings do.
    QString folder;
    const QString home = qEnvironmentVariable("HOME");
    if (QStandardPaths::isTestModeEnabled()) {
        folder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    } else if (const QString dataHome = qEnvironmentVariable("XDG_DATA_HOME");
               QDir::isAbsolutePath(dataHome)) {
        folder = QDir::cleanPath(dataHome);
    } else if (QDir::isAbsolutePath(home)) {
        folder = QDir::cleanPath(home + QStringLiteral("/.local/share"));
    }
    if (!QDir::isAbsolutePath(folder))
        return QString();
    return folder + QLatin1Char('/') + Branding::SettingsApplication + QLatin1Char('/') +
           Branding::ProductName + QStringLiteral("/history.sqlite");
}

History::History(MessageBoxes& messages, QString path, MemoryPolicy policy)
    : messages_(messages), path_(std::move(path)), policy_(std::move(policy)), d_(new Impl(*this))
{}

History::~History()
{
    delete d_;
}

bool History::open()
{
    d_->open();
    return d_->saving;
}

bool History::isSaving() const
{
    return d_->saving;
}

void History::record(const AnswerRecord& answer)
{
    d_->open();
    if (d_->saving) {
        try {
            d_->write(answer);
            return;
        } catch (const DbError& e) {
            if (e.damaged) {
                // Start afresh, with this answer as the first of the new file.
                d_->closeDb();
                d_->cacheLoaded = false;
                d_->tried = false;
                const QString movedTo = d_->moveAside(QStringLiteral("damaged"));
                if (!movedTo.isEmpty()) {
                    messages_.show(QStringLiteral("The study history was damaged, so a new one "
                                                  "has been started.\r\n\r\nThe damaged file was "
                                                  "kept as\r\n%1")
                                       .arg(QDir::toNativeSeparators(movedTo)),
                                   Branding::ProductName, MessageIcon::Warning);
                    d_->open();
                    if (d_->saving) {
                        try {
                            d_->write(answer);
                            return;
                        } catch (const DbError& again) {
                            d_->tellNotSaving(again.text);
                        }
                    }
                } else {
                    d_->tried = true;
                    d_->tellNotSaving(e.text);
                }
            } else {
                d_->loadCache();
                d_->tellNotSaving(e.text);
            }
        }
    }
    // Not saved: keep the states in memory for this run.
    d_->loadCache();
    policy_.apply(d_->cache, answer);
}

void History::rebuild()
{
    d_->open();
    if (d_->saving) {
        try {
            d_->rebuildStored();
            return;
        } catch (const DbError& e) {
            d_->tellNotSaving(e.text);
        }
    }
    if (d_->dbOpen) {
        try {
            d_->cache = d_->replay();
            d_->cacheLoaded = true;
        } catch (const DbError&) {
        }
    }
}

const QHash<QString, WordMemory>& History::words() const
{
    d_->open();
    d_->loadCache();
    return d_->cache;
}

const WordMemory* History::find(const QString& word) const
{
    const QHash<QString, WordMemory>& all = words();
    const auto it = all.constFind(word);
    return it == all.constEnd() ? nullptr : &*it;
}

int History::answerCount() const
{
    d_->open();
    if (!d_->dbOpen)
        return 0;
    try {
        return d_->scalar(QStringLiteral("SELECT count(*) FROM answers")).toInt();
    } catch (const DbError&) {
        return 0;
    }
}

QList<History::LengthProgress> History::progressByLength(const WordStore& store) const
{
    QList<LengthProgress> result;
    for (int length = 2; length <= 4; ++length)
        result.append(countWords(length, store.words(length), words(), policy()));
    return result;
}

QList<History::DayProgress> History::lastDays(int days, const QDateTime& now) const
{
    QList<DayProgress> result;
    if (days <= 0)
        return result;
    const QDate today = MemoryPolicy::studyDay(now);
    const QDate first = today.addDays(-(days - 1));
    for (QDate day = first; day <= today; day = day.addDays(1))
        result.append({day, 0, 0});
    d_->open();
    if (!d_->dbOpen)
        return result;
    // Counted by quarter hour in SQL, then by day here: every day starts on a quarter hour after
    // the first one, daylight saving time or not, and a history of 100,000 answers is summed in
    // a few milliseconds instead of converting each answer's time.
    constexpr qint64 QuarterMs = 15 * 60 * 1000;
    QList<qint64> starts; // the start of each day, and the end of the last
    for (QDate day = first; day <= today.addDays(1); day = day.addDays(1))
        starts.append(MemoryPolicy::dayStart(day).toMSecsSinceEpoch());
    try {
        QSqlQuery q = d_->run(
            QStringLiteral("SELECT (at_ms - ?) / ?, count(*), sum(right_index = chosen_index) "
                           "FROM answers WHERE at_ms >= ? AND at_ms < ? GROUP BY 1"),
            {starts.first(), QuarterMs, starts.first(), starts.last()});
        while (q.next()) {
            const qint64 at = starts.first() + q.value(0).toLongLong() * QuarterMs;
            const auto next = std::upper_bound(starts.cbegin(), starts.cend(), at);
            const qsizetype index = next - starts.cbegin() - 1;
            if (index < 0 || index >= result.size())
                continue;
            result[index].answers += q.value(1).toInt();
            result[index].right += q.value(2).toInt();
        }
    } catch (const DbError&) {
    }
    return result;
}

QList<History::MissedWord> History::mostMissed(int limit) const
{
    QList<MissedWord> missed;
    for (const WordMemory& m : words()) {
        const int misses = m.valid ? m.lapses : m.confusions;
        if (misses > 0)
            missed.append({m.word, misses, m.valid});
    }
    std::sort(missed.begin(), missed.end(), [](const MissedWord& a, const MissedWord& b) {
        return a.misses != b.misses ? a.misses > b.misses : a.word < b.word;
    });
    if (limit >= 0 && missed.size() > limit)
        missed.resize(limit);
    return missed;
}

bool History::forgetAll(QString* movedTo)
{
    d_->closeDb();
    d_->cache.clear();
    d_->cacheLoaded = false;
    d_->lastSeenId = 0;
    d_->tried = false;
    QString target;
    if (!path_.isEmpty() && QFile::exists(path_)) {
        target = d_->moveAside(QStringLiteral("forgotten"));
        if (target.isEmpty())
            return false;
    }
    if (movedTo)
        *movedTo = target;
    return true;
}

const MemoryPolicy& History::policy() const
{
    d_->open();
    return policy_;
}

QList<AnswerRecord> History::answers() const
{
    d_->open();
    if (!d_->dbOpen)
        return {};
    try {
        return d_->allAnswers();
    } catch (const DbError&) {
        return {};
    }
}

bool History::recalibrate()
{
    d_->open();
    if (!d_->saving || policy_.leitner)
        return false;
    try {
        const int count = d_->scalar(QStringLiteral("SELECT count(*) FROM answers")).toInt();
        const int fitted =
            d_->scalar(QStringLiteral("SELECT value FROM meta WHERE key='fitted_answers'")).toInt();
        if (count < fitted + std::max(300, fitted / 3))
            return false;
        const std::optional<Calibration::Result> result =
            Calibration::fit(d_->allAnswers(), policy_);
        QStringList text;
        if (result) {
            for (double w : result->weights)
                text.append(QString::number(w, 'g', 17));
            policy_.model = Fsrs::Model(result->weights);
        }
        d_->run(QStringLiteral("BEGIN IMMEDIATE"));
        try {
            if (result)
                d_->run(QStringLiteral("INSERT OR REPLACE INTO meta(key, value) "
                                       "VALUES('weights', ?)"),
                        {text.join(QLatin1Char(' '))});
            d_->run(QStringLiteral("INSERT OR REPLACE INTO meta(key, value) "
                                   "VALUES('fitted_answers', ?)"),
                    {count});
            d_->run(QStringLiteral("COMMIT"));
        } catch (const DbError&) {
            d_->run(QStringLiteral("ROLLBACK"));
            throw;
        }
        if (!result)
            return false;
        d_->rebuildStored();
        return true;
    } catch (const DbError& e) {
        d_->tellNotSaving(e.text);
        return false;
    }
}
