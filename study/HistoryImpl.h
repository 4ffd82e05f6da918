#pragma once

// The inside of History, shared by the files that implement it: History.cpp (opening, the answer
// log and the state cache), HistoryProgress.cpp and HistoryCalibration.cpp. Nothing outside
// study/ includes it.

#include "History.h"
#include "HistoryDb.h"
#include "HistoryRebuild.h"
#include "HistoryWorker.h"

#include <QHash>

#include <memory>
#include <mutex>

// Where the background thread leaves its outcome for the window's thread.
struct BackgroundHandoff
{
    std::mutex mutex;
    std::optional<HistoryRebuild::Outcome> outcome;
    std::function<void()> done;
};

class History::Impl
{
public:
    explicit Impl(History& owner) : owner(owner), db(owner.path_) {}

    History& owner;
    HistoryDb db;
    bool tried = false;
    bool dbOpen = false; // the file is open and of our schema
    bool saving = false; // and answers are being written to it
    bool toldNotSaving = false;
    bool cacheLoaded = false;
    QHash<QString, WordMemory> cache;
    qint64 lastSeenId = 0;

    void open();
    void closeDb();
    void tellNotSaving(const QString& reason);
    void tellStartedAfresh(const QString& movedTo);
    // Moves the file aside; "" when it could not be.
    QString moveAside(const QString& why);

    void loadCache();
    // Replays every stored answer into fresh states.
    QHash<QString, WordMemory> replay();
    // Replays every answer into fresh stored states, here and now.
    void rebuildStored();

    // Fits and rebuilds; see HistoryRebuild.
    History::Fitter fitter;
    QDate fitAskedOn; // the study day this History last looked for a fit
    HistoryWorker worker;
    std::shared_ptr<BackgroundHandoff> handoff = std::make_shared<BackgroundHandoff>();
    HistoryRebuild::Order order(bool rulesChanged, const QDate& fitDay) const;
    // Starts the order on the background thread, unless work is running or waiting.
    bool startBackground(HistoryRebuild::Order order);
    // Stops the background work and forgets what it left (the file is going away).
    void stopBackground();
    // Takes up an outcome: the weights, and the states with the answers written since applied.
    // True when the states changed.
    bool adopt(HistoryRebuild::Outcome outcome);
    // Writes one answer and the states it changes in one transaction.
    void write(const AnswerRecord& a);
};
