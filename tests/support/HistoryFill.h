#pragma once

// Study histories for tests and benchmarks, filled quickly. Link lexitor_study.

#include "History.h"
#include "HistoryDb.h"
#include "HistorySchema.h"
#include "TestDoubles.h"

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
