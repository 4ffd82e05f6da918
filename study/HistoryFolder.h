#pragma once

#include "base/DataFolder.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// Where the study histories live: histories/ID.sqlite in the player's data folder, one file per
// word list named by the list's id (the bundled list's is BundledId), so that a list's new name
// touches no history; the histories set aside (forgotten, damaged, and those of lists that are
// gone) in histories/archive.
//
// Before lists had ids, the bundled list's history was history.sqlite in the data folder and list
// NAME's history-NAME.sqlite beside it, the set-aside ones beside them too. upgrade() moves them
// over once; one it could not move stays where it was, is used there (pathFor) and is tried again
// on the next start. Moving is renaming within the data folder: no file is copied nor opened.
class HistoryFolder
{
public:
    static inline const QString BundledId = QStringLiteral("bundled");

    // "" for no data folder: every path is then "" (no history on disk).
    explicit HistoryFolder(QString dataFolder = UserDataFolder());

    QString folder() const;
    QString archive() const;
    // The history of the list with that id and name ("" for the bundled list): its file in the
    // folder, or its old file while that has not been moved yet.
    QString pathFor(const QString& id, const QString& listName) const;
    // The file of the old layout: history.sqlite, or history-NAME.sqlite.
    QString oldPath(const QString& listName) const;
    // Where a history at path is set aside: the archive beside it in a folder of histories,
    // beside it anywhere else (a history a test or lexitor-drill named).
    static QString archiveFor(const QString& path);

    // The list's id; "" when the list is gone, nullopt when it can't be told now (the file is
    // then left where it is).
    using IdOf = std::function<std::optional<QString>(const QString& listName)>;
    struct Upgrade
    {
        int moved = 0;      // to a list's history
        int archived = 0;   // set-aside histories, those of lists gone, or superseded
        QStringList stayed; // the old files left in place, for next time
    };
    // Moves the old layout's histories over: each to its list's id, set-aside ones and those of
    // lists gone to the archive under their old names. Never over a file: an old history whose
    // list already has one here (a data folder put back from a copy) goes to the archive. The
    // SQLite files beside a history (-wal, -shm) move with it, first, and come back when it can't
    // move. Under a lock in the folder, so that two trainers starting together move each file
    // once. Nothing is done, not even a look at the folder of histories, when no old file is left.
    Upgrade upgrade(const IdOf& idOf) const;

private:
    bool move(const QString& from, const QString& to) const;
    // A free name in the archive for the file named name.
    QString archiveName(const QString& name) const;

    QString data_;
};
