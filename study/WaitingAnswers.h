#pragma once

#include "study/AnswerRecorder.h"
#include "study/WordMemory.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <optional>

// The window's side of the answer log: what was handed to the writer (HistoryWriter, which owns
// the writes) and not yet reported written, and the answers of a history kept in memory only.
// Each job for the writer is numbered here, in the order given.
class WaitingAnswers
{
public:
    // Answers handed to the writer and not yet reported written, oldest first, by number.
    struct Queued
    {
        qint64 seq;
        AnswerRecord answer;
    };
    QList<Queued> queued;
    // Answers taken back after the writer took them, the undo entry not reported written yet.
    struct Undo
    {
        qint64 seq;
        QStringList words; // the answer's candidates
    };
    QList<Undo> undos;
    // Answers of a history kept in memory only, oldest first.
    QList<AnswerRecord> unsaved;
    // The last answer recorded, while it can still be taken back, and its words' states before.
    struct LastAnswer
    {
        AnswerRecord answer;
        bool queued = false; // handed to the writer (else kept in memory only)
        qint64 seq = 0;
        QHash<QString, WordMemory> before;
    };
    std::optional<LastAnswer> last;

    // The number of the next job for the writer.
    qint64 number() { return nextSeq_++; }
    qint64 nextNumber() const { return nextSeq_; }
    // Nothing waits for the writer.
    bool written() const { return queued.isEmpty() && undos.isEmpty(); }
    int count() const { return int(queued.size() + undos.size()); }
    // The queued answers, oldest first.
    QList<AnswerRecord> queuedAnswers() const;
    // Those after the unsaved ones: every answer the file does not show.
    QList<AnswerRecord> unwritten() const;
    // The words of the undo entries still waiting: their states stay as the window's thread set
    // them until the writer's replay of them is reported.
    QSet<QString> heldWords() const;
    // The writer reported everything up to the job numbered seq written.
    void writtenThrough(qint64 seq);
    // A file moved aside: an answer written to it can no longer be taken back.
    void forgetWrittenLast();
    void clear();

private:
    qint64 nextSeq_ = 1;
};
