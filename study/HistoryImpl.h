#pragma once

// The inside of History, shared by the files that implement it: History.cpp (opening, the answer
// log and the state cache), HistoryProgress.cpp and HistoryCalibration.cpp. Nothing outside
// study/ includes it.

#include "History.h"
#include "HistoryDb.h"

#include <QHash>

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
    // Replays every answer into fresh stored states, in one transaction.
    void rebuildStored();
    // Writes one answer and the states it changes in one transaction.
    void write(const AnswerRecord& a);
};
