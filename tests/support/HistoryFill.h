#pragma once

// Study histories for tests and benchmarks, filled quickly. Link lexitor_study.

#include "TestDoubles.h"
#include "study/History.h"
#include "study/HistoryDb.h"
#include "study/HistorySchema.h"

#include <QAtomicInt>
#include <QSemaphore>
#include <QSqlDatabase>
#include <QSqlQuery>

#include <memory>

// A history opened at once, for reading what a file holds.
struct OpenedHistory : History
{
    OpenedHistory(MessageBoxes& messages, const QString& path, MemoryPolicy policy = MemoryPolicy())
        : History(messages, path, std::move(policy))
    {
        open();
    }
};

// Writes the answers straight into the history at path (created when missing) in one
// transaction, then replays them into its states.
inline void fillHistory(const QString& path, const QList<AnswerRecord>& answers)
{
    RecordingMessageBoxes quiet;
    History(quiet, path).open();
    {
        HistoryDb db(path);
        db.open();
        db.transaction([&] {
            for (const AnswerRecord& a : answers)
                HistorySchema::insertAnswer(db, a);
        });
    }
    History(quiet, path).rebuild();
}

// The derived states in a comparable form.
inline QStringList snapshot(const History& history)
{
    QStringList lines;
    for (const WordMemory& m : history.words())
        lines.append(QStringLiteral("%1 %2 %3 %4 %5 %6 %7")
                         .arg(m.word)
                         .arg(m.memory ? m.memory->stability : -1.0, 0, 'g', 12)
                         .arg(m.memory ? m.memory->difficulty : -1.0, 0, 'g', 12)
                         .arg(m.due.toMSecsSinceEpoch())
                         .arg(m.reviews)
                         .arg(m.lapses)
                         .arg(m.confusions));
    lines.sort();
    return lines;
}

// `count` study answers on the words, spread evenly over the `days` days before `end`: the words
// taken in a fixed scramble, one answer in five wrong.
inline QList<AnswerRecord> spreadAnswers(const QStringList& words, int count, const QDateTime& end,
                                         int days)
{
    QList<AnswerRecord> answers;
    const QDateTime start = end.addDays(-days);
    for (int i = 0; i < count; ++i) {
        const QString& word = words[(i * 7919) % words.size()];
        const int right = i % 4;
        QStringList candidates{QStringLiteral("QZ"), QStringLiteral("XJ"), QStringLiteral("VK")};
        candidates.insert(right, word);
        answers.append({start.addSecs(qint64(i) * days * 86400 / count), QStringLiteral("study"),
                        true, int(word.size()), candidates, right,
                        i % 5 == 0 ? (right + 1) % 4 : right, 1200});
    }
    return answers;
}

// The states a history kept in memory reaches with these answers.
inline QStringList memoryStates(const QList<AnswerRecord>& answers)
{
    RecordingMessageBoxes quiet;
    History memory(quiet, QString());
    for (const AnswerRecord& a : answers)
        memory.record(a);
    return snapshot(memory);
}

// A choose-the-valid answer on word among three non-words, right or wrong.
inline AnswerRecord answerOn(const QString& word, const QDateTime& at, bool right = true)
{
    return {at, QStringLiteral("Form2"), true, int(word.size()), {word, "QZ", "XJ", "VK"},
            0,  right ? 0 : 1,           1500};
}

// A fit standing in for Calibration (see scripted()).
struct ScriptedFit
{
    double scale = 2.0; // w0 to w3 times this; 1: the same weights; 0: too few answers
    bool hold = false;  // wait inside until released, as a long fit would
    QSemaphore entered, released;
    QAtomicInt calls, answers; // answers: how many the last call was fed
};

// The fit's copies share it. A held fit checks, as the real one does, whether to stop.
inline History::Fitter scripted(std::shared_ptr<ScriptedFit> fit)
{
    return [fit](const History::AnswerFeed& feed, const MemoryPolicy& policy,
                 const History::Checkpoint& checkpoint) -> std::optional<Fsrs::Weights> {
        fit->calls.ref();
        int n = 0;
        feed([&](const AnswerRecord&) { ++n; });
        fit->answers.storeRelaxed(n);
        fit->entered.release();
        while (fit->hold && !fit->released.tryAcquire(1, 10))
            checkpoint();
        if (fit->scale == 0.0)
            return std::nullopt;
        Fsrs::Weights weights = policy.model.weights();
        for (std::size_t i = 0; i < 4; ++i)
            weights[i] *= fit->scale;
        return weights;
    };
}

// Another program's connection to a history file, holding the file's write lock while it lives.
struct WriteLock
{
    explicit WriteLock(const QString& path)
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), Name);
        db.setDatabaseName(path);
        held = db.open() && QSqlQuery(db).exec(QStringLiteral("BEGIN IMMEDIATE"));
    }
    ~WriteLock() { release(); }
    WriteLock(const WriteLock&) = delete;
    WriteLock& operator=(const WriteLock&) = delete;
    void release()
    {
        if (!QSqlDatabase::contains(Name))
            return;
        QSqlQuery(QSqlDatabase::database(Name)).exec(QStringLiteral("COMMIT"));
        QSqlDatabase::database(Name).close();
        QSqlDatabase::removeDatabase(Name);
    }
    static inline const QString Name = QStringLiteral("other program");
    bool held = false;
};
