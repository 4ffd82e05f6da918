#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

class QLockFile;

// The word lists the player imported: NAME.mdb in the lists folder of the player's data folder,
// each a word database. The bundled list is not one of them.
//
// A list's name is claimed when its finished database is put in place, under a lock on the
// folder (.lock) shared by every trainer, and never over a list that is there: two trainers
// importing files of one name end up with "NAME" and "NAME (2)". Names a player could not tell
// apart count as one (foldName), and so do the names reserve() keeps out.
class WordListCatalog
{
public:
    // <data folder>/lists, or "" without a data folder (then no list can be imported).
    static QString defaultFolder();
    explicit WordListCatalog(QString folder = defaultFolder());

    const QString& folder() const { return folder_; }
    // The imported lists' names, in alphabetical order.
    QStringList names() const;
    QString pathOf(const QString& name) const;

    // The name a list imported from that file asks for: "Collins 2019" for
    // "/home/me/Collins 2019.txt". Only letters, digits, blanks, '-', '_' and '.' are kept.
    static QString wantedName(const QString& listFile);
    // The name as a player reads it: NFKC, case folded, and Cyrillic and Greek letters that look
    // like Latin ones taken as those ("wоrds" with a Cyrillic o reads as "words").
    static QString foldName(const QString& name);
    // Names no list may take, besides those of the lists there.
    void reserve(std::function<bool(const QString& name)> reserved);

    // Moves the finished database at draft (a file in the folder) into the list of the first free
    // name of wanted, "wanted (2)" and so on, and returns that name. Throws AppError when it can't.
    QString claim(const QString& draft, const QString& wanted) const;
    // Deletes the list's file. False when it could not.
    bool remove(const QString& name) const;
    // Gives the list the name to: its one file renamed under the folder's lock, never over a list
    // there nor to a name a player could not tell from another list's or a reserved one. Throws
    // AppError (with why, for the player) when it can't; the list then keeps its name.
    void rename(const QString& from, const QString& to) const;

    // Puts the finished database at draft (a file in the folder) in place of the list's, by one
    // rename under the folder's lock, when the list there still carries the id (no other trainer
    // replaced or removed it meanwhile). Throws AppError (with why, for the player) when it can't;
    // the list then stays as it was.
    void replace(const QString& draft, const QString& name, const QString& id) const;

    // A new list's id: a random UUID, kept in its database (WordSchema::listId).
    static QString newId();
    // True for an id of newId()'s form (lower-case UUID without braces).
    static bool isId(const QString& id);
    // The list's id. A list imported before lists had ids gets one now, once: a copy with the id
    // takes its place under the folder's lock (trainers reading the old file keep reading it, as
    // they opened it). Throws AppError when the list can't be read or its id can't be kept.
    QString idOf(const QString& name) const;

private:
    // The name with only the characters a list's name may hold, at most MaxNameChars of them, no
    // leading dot (that of a draft) nor blanks at either end.
    static QString cleanName(const QString& name);
    QString lockPath() const { return folder_ + QStringLiteral("/.lock"); }
    // Takes the folder's lock, or throws AppError when another trainer keeps it.
    static void lockFolder(QLockFile& lock);
    // Puts draft at the list's place unless something is there. False when something is.
    bool placeWithoutReplacing(const QString& draft, const QString& name) const;

    QString folder_;
    std::function<bool(const QString& name)> reserved_;
};
