#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

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

private:
    // Puts draft at the list's place unless something is there. False when something is.
    bool placeWithoutReplacing(const QString& draft, const QString& name) const;

    QString folder_;
    std::function<bool(const QString& name)> reserved_;
};
