#pragma once

#include "base/Services.h"
#include "study/DueTally.h"
#include "study/HistoryMode.h"
#include "study/MemoryPolicy.h"
#include "study/StudyHistory.h"
#include "study/WordCounts.h"
#include "study/WordMemory.h"

#include <QDate>
#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class WordStore;

// The player's answer log: an SQLite file holding every answer of every test, and the memory
// state of each word derived from them (a cache, rebuilt from the answers whenever the rules
// or the fitted weights change, or on request).
//
// Fits and rebuilds run on a background thread with a connection of its own; the states already
// stored serve until the new ones are taken up (takeUpBackgroundWork), which the caller does
// between questions. The thread's news comes back queued to the thread that made the History.
//
// Nothing touches the disk before open(), the one call that opens the file (record() and the
// other changes call it too): it classifies the file, opens or creates it, brings it to the
// current layout and reads the states. The reads (words(), policy(), the progress figures) are
// const and never open anything: before open() they show an empty history under the initial
// rules. A damaged file is moved aside under a dated name and a fresh one started, with one
// message. Each answer goes to the history's writer thread,
// which writes it in a transaction within a moment, so a crash loses only answers not yet
// written. Several programs may share one file: while another holds it, answers wait in memory,
// in order, counted in the states, and the writer tries again (with the next answer, after a
// pause, on flush() or at exit). When the file can't be written for a lasting reason (a full
// disk, a read-only file, its folder gone) the player is told once that progress is not being
// saved, and the waiting answers are written as soon as the cause goes away. Another program's
// database is never written nor moved: the history then lives in memory.
class History : public StudyHistory
{
public:
    static constexpr int SchemaVersion = 3;
    // How long each of the writer's tries waits for another program's lock.
    static constexpr int DefaultBusyWaitMs = 250;
    // The history of the player running the program: history.sqlite in the per-user data folder,
    // under the same organisation and application names as the settings. Empty without a home
    // folder; a history with no path is kept in memory only, silently.
    static QString defaultPath();

    explicit History(MessageBoxes& messages, QString path = defaultPath(),
                     MemoryPolicy policy = MemoryPolicy());
    ~History() override;
    History(const History&) = delete;
    History& operator=(const History&) = delete;

    const QString& path() const { return path_; }
    // Goes on with the history at path (another word list's), as if newly made: nothing is
    // opened before open(), and the rules start from the defaults again. The answers still
    // waiting stay with the list they were given on, and are written to its history as soon as it
    // takes them (or at exit); switching back to it finds them there. The fitter, the busy wait
    // and the background's done callback stay as set.
    void switchTo(const QString& path);
    // The rules the states follow, with the weights fitted to this player once there are enough
    // answers (the initial rules before open()).
    const MemoryPolicy& policy() const override;

    // Starts reading the file's states on a thread of its own, for open() to take up. Reads only,
    // and only before open(); the background's done callback is called once they are tallied at
    // `now` (when valid) and once it has finished.
    void preload(const QDateTime& now = {});
    // The states tallied ahead of open() while they are read, for a first count.
    std::optional<DueTally> preloadTally() const;
    // The states are being read ahead of open(): open() would wait for them.
    bool preloading() const;
    // Opens the file if that has not been tried yet, and reads its states (those read ahead, when
    // the file is as they were read). True when answers are being saved.
    bool open();
    // What the history does with its file; Untried before open().
    HistoryMode mode() const;
    // The file takes the answers (some may still wait for another program's lock).
    bool isSaving() const;
    // The file is another program's database: left as it is, and nothing is saved.
    bool isForeign() const;
    // Answers and undo entries kept in memory until the file takes them, those of the lists
    // switched from included.
    int pendingCount() const;
    // Waits while the writers write the waiting answers (the other lists' too), each try waiting
    // at most the busy wait for a lock. True when none are left waiting.
    bool flush();
    void setBusyWaitMs(int ms);
    // For tests: caps the file, on this program's connection, at its size now plus `pages` pages,
    // as a full disk would; a negative count lifts the cap.
    void capSizeForTest(int pages);

    // Included at once in the states; handed to the writer, which writes it as soon as the file
    // takes it. Never waits for the disk or a lock.
    void record(const AnswerRecord& answer) override;
    // Takes back the last answer recorded, once: it counts nowhere from now on (states, counts,
    // fits, progress), and its words are as if it had never been given. An answer the writer has
    // taken stays in the file, with an undo entry saying when it was taken back (`at`); one still
    // waiting in the queue is simply not written. False when there is nothing to take back.
    bool takeBack(const QDateTime& at) override;
    // Drops the derived states and replays every answer, here and now.
    void rebuild();
    // Every stored answer that counts (not taken back), oldest first.
    QList<AnswerRecord> answers() const;

    // Hands answers one at a time, oldest first, to a sink.
    using AnswerSink = std::function<void(const AnswerRecord&)>;
    using AnswerFeed = std::function<void(const AnswerSink&)>;
    // Called at least every 50 ms of a fit's work; throws to stop it.
    using Checkpoint = std::function<void()>;
    // Fits the model's weights to the answers, starting from the policy's; nothing when there
    // are too few to say. Called on the background thread.
    using Fitter = std::function<std::optional<Fsrs::Weights>(
        const AnswerFeed&, const MemoryPolicy&, const Checkpoint&)>;
    // Calibration::fit by default.
    void setFitter(Fitter fitter);

    // The day's fit of the memory model to the player's answers: at most once a study day (the
    // day of the last fit is kept in the file), and only once enough new answers have come in
    // since. New weights are kept with the history and the states rebuilt with them; the same
    // weights change nothing. recalibrate() does it here and now, and is true when the weights
    // changed; recalibrateInBackground() starts it on the background thread.
    bool recalibrate(const QDate& today);
    void recalibrateInBackground(const QDate& today);
    // Under Auto, before any session: the day's pace figure read on the background thread
    // alone, once a study day, so that the count of new words shown before a session is the
    // one the session keeps (backgroundDone tells when it is in).
    void readPaceInBackground(const QDateTime& now);
    // Takes up the weights and states the background work has finished since the last call.
    // True when the states changed.
    bool takeUpBackgroundWork();
    bool backgroundBusy() const;
    // Waits for the background work; false when it is still running after `ms`.
    bool waitForBackgroundWork(int ms) const;
    // Called, queued on the thread that made the History, when finished work is ready to be
    // taken up; null for none.
    void setBackgroundDone(std::function<void()> done);

    // The derived states, by word (none before open()).
    const QHash<QString, WordMemory>& words() const override;
    const WordMemory* find(const QString& word) const override;
    // Moves on with every change of the states (see WordStateView).
    quint64 statesRevision() const override { return statesRevision_; }
    void betweenQuestions(const QDate& today, bool firstOfSession, bool inLine) override;
    void askPace(const QDateTime& now) override;
    std::optional<PaceFigure> paceFigure() const override;
    QStringList recentNonWords() const override;
    // The answers stored in the file, less those taken back.
    int answerCount() const;

    // Progress, for the windows.
    using LengthProgress = LengthCounts;
    QList<LengthProgress> progressByLength(const WordStore& store) const;
    struct DayProgress
    {
        QDate day;
        int answers;
        int right;
    };
    // The last `days` local days up to the one holding now, oldest first.
    QList<DayProgress> lastDays(int days, const QDateTime& now) const;
    struct MissedWord
    {
        QString word;
        int misses;
        bool valid;
    };
    // The words of the list missed most (valid), or the non-words most often taken for words,
    // most first, at most limit of them (all when negative).
    QList<MissedWord> mostMissed(int limit, bool valid) const;

    // Moves the file aside (never deletes it) and starts afresh. movedTo gets the new name.
    // False, with nothing moved, when it is another program's file or answers given on it can't
    // be written to it yet.
    bool forgetAll(QString* movedTo);

private:
    class Impl;
    MessageBoxes& messages_;
    QString path_;
    MemoryPolicy initialPolicy_; // before any weights fitted to the player
    int busyWaitMs_ = DefaultBusyWaitMs;
    Fitter fitter_;
    std::function<void()> backgroundDone_;
    Impl* d_;
    quint64 statesRevision_ = 0;
    QDateTime paceAsked_; // when the figure was last asked for (invalid: never)
    // When the pace figure is to be read today, if it is; taking it marks it read, unless `asked`
    // is false.
    QDateTime takePace(const QDate& today, bool asked = true);
    // The histories of lists switched from, while answers given on them wait to be written.
    std::vector<std::unique_ptr<Impl>> leftBehind_;

    // Drops the histories left behind that have written everything.
    void dropWritten();
};
