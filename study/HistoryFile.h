#pragma once

#include <QString>

class HistoryDb;

// Finding, opening and setting aside the history file.
namespace HistoryFile {

// The bundled list's history in the player's data folder (HistoryFolder), under the same
// organisation and application names as the settings. Empty without a home folder.
QString defaultPath();

// Why a file was moved aside, part of its new name (moveAside).
inline const QString DamagedMark = QStringLiteral("damaged");
inline const QString ForgottenMark = QStringLiteral("forgotten");
// True when history-NAME.sqlite, a history of the layout before list ids, is a name moveAside gave:
// "forgotten-20261209-080107" is the set-aside history of the bundled list,
// "X-damaged-20261209-080107-2" one of list X. No list could take such a name then.
bool isArchiveName(const QString& listName);

enum class Outcome
{
    Ready,      // open for writing, of our schema
    Damaged,    // no database, or a damaged one: to be moved aside
    Unwritable, // can't be written for now; open read-only when it can be read
    Newer,      // written by a newer version of the program: open read-only
    Foreign     // another program's database: closed, and left exactly as it was
};

// Why the file can't be written now ("" when it can): its folder, the file, or SQLite's files
// beside it. Those left read-only by an earlier run while the file itself is writable again are
// given the file's permissions back.
QString whyNotWritable(const QString& path);

// How much open() reads through for damage.
enum class Check
{
    Whole,   // every page, before the file is called ready
    ByWriter // a writable file's pages are left to its writer, which opens with Whole on its own
             // thread (HistoryWriter::check); one that can't be written is still read through
};

// Opens db's file and brings it to the current schema. A file that can't be written is only ever
// opened read-only, so nothing is left behind that would keep it read-only later. createFolder:
// make the folder when missing. reason gets why the outcome is not Ready.
Outcome open(HistoryDb& db, QString* reason, bool createFolder = true, Check check = Check::Whole);

// Moves the file (and SQLite's journal files beside it) to a name marked with why and the date,
// keeping its extension, in the archive of its folder (HistoryFolder::archiveFor). Returns the new
// name, or "" when it could not be moved. db is closed first.
QString moveAside(HistoryDb& db, const QString& why);

} // namespace HistoryFile
