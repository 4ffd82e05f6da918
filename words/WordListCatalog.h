#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The word lists the player imported: NAME.mdb in the lists folder of the player's data folder,
// each a word database. The bundled list is not one of them.
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
    // A name for a list imported from that file, taken from its file name and not yet in use:
    // "Collins 2019" for "/home/me/Collins 2019.txt", then "Collins 2019 (2)" and so on. Only
    // letters, digits, blanks, '-', '_' and '.' are kept.
    QString freeName(const QString& listFile) const;
    // Deletes the list's file. False when it could not.
    bool remove(const QString& name) const;

private:
    QString folder_;
};
