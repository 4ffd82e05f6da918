#pragma once

#include <QString>

class HistoryDb;

// Finding, opening and setting aside the history file.
namespace HistoryFile {

// The history of the player running the program: history.sqlite in the per-user data folder,
// under the same organisation and application names as the settings. Empty without a home
// folder.
QString defaultPath();
// The history of one word list: defaultPath() for the bundled list (""), history-NAME.sqlite
// beside it for the imported list NAME, so that progress on one list never counts for another.
QString pathForList(const QString& listName);

enum class Outcome
{
    Ready,     // open, of our schema, and answers can be written
    Damaged,   // not a history we can use: to be moved aside
    Unwritable // open for reading at most; nothing may be written
};

// Opens db's file and brings it to the current schema. reason gets why it is not Ready.
Outcome open(HistoryDb& db, QString* reason);

// Moves the file (and SQLite's journal files beside it) to a name marked with why and the date.
// Returns the new name, or "" when it could not be moved. db is closed first.
QString moveAside(HistoryDb& db, const QString& why);

} // namespace HistoryFile
