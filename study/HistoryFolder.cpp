#include "study/HistoryFolder.h"

#include "base/FileRename.h"
#include "study/HistoryFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>

namespace {

const QString FolderName = QStringLiteral("histories");
const QString ArchiveName = QStringLiteral("archive");
const QString Prefix = QStringLiteral("history");
const QString Suffix = QStringLiteral(".sqlite");
// SQLite's files beside a history: its log and index, or a rollback journal.
const QStringList Sides{QStringLiteral("-wal"), QStringLiteral("-shm"), QStringLiteral("-journal")};
// Another trainer's upgrade is only renames: a moment.
constexpr int LockWaitMs = 2000;
constexpr int MaxSuffix = 1000;

bool anyExists(const QString& path)
{
    if (QFileInfo::exists(path))
        return true;
    for (const QString& side : Sides)
        if (QFileInfo::exists(path + side))
            return true;
    return false;
}

// The list an old history belongs to ("" for the bundled list), or nullopt for a file set aside.
std::optional<QString> oldListName(const QString& file)
{
    if (file == Prefix + Suffix)
        return QString();
    const QString name = file.mid(Prefix.size() + 1).chopped(Suffix.size());
    // No list could take such a name (WordListChoice kept them out), nor an empty one.
    if (name.isEmpty() || HistoryFile::isArchiveName(name))
        return std::nullopt;
    return name;
}

} // namespace

HistoryFolder::HistoryFolder(QString dataFolder) : data_(std::move(dataFolder)) {}

QString HistoryFolder::folder() const
{
    return data_.isEmpty() ? QString() : data_ + QLatin1Char('/') + FolderName;
}

QString HistoryFolder::archive() const
{
    return data_.isEmpty() ? QString() : folder() + QLatin1Char('/') + ArchiveName;
}

QString HistoryFolder::oldPath(const QString& listName) const
{
    if (data_.isEmpty())
        return QString();
    return data_ + QLatin1Char('/') + Prefix +
           (listName.isEmpty() ? QString() : QLatin1Char('-') + listName) + Suffix;
}

QString HistoryFolder::pathFor(const QString& id, const QString& listName) const
{
    if (data_.isEmpty())
        return QString();
    // A list named like an old set-aside file never takes it over.
    if (const QString old = oldPath(listName);
        !HistoryFile::isArchiveName(listName) && QFileInfo::exists(old))
        return old;
    return folder() + QLatin1Char('/') + id + Suffix;
}

QString HistoryFolder::archiveFor(const QString& path)
{
    const QDir dir = QFileInfo(path).absoluteDir();
    return dir.dirName() == FolderName ? dir.filePath(ArchiveName) : dir.path();
}

QString HistoryFolder::archiveName(const QString& name) const
{
    const QString base = name.chopped(Suffix.size());
    for (int n = 1; n <= MaxSuffix; ++n) {
        const QString path = archive() + QLatin1Char('/') + base +
                             (n > 1 ? QStringLiteral("-%1").arg(n) : QString()) + Suffix;
        if (!anyExists(path))
            return path;
    }
    return QString();
}

bool HistoryFolder::move(const QString& from, const QString& to) const
{
    if (to.isEmpty() || anyExists(to))
        return false;
    // The log first: a history moved without its log would lose the answers in it.
    QStringList movedSides;
    for (const QString& side : Sides) {
        if (!QFileInfo::exists(from + side))
            continue;
        if (!RenameWithoutReplacing(from + side, to + side))
            break;
        movedSides.append(side);
    }
    const bool allSides = std::all_of(Sides.begin(), Sides.end(), [&](const QString& side) {
        return movedSides.contains(side) || !QFileInfo::exists(from + side);
    });
    if (allSides && RenameWithoutReplacing(from, to))
        return true;
    for (const QString& side : movedSides)
        RenameWithoutReplacing(to + side, from + side);
    return false;
}

HistoryFolder::Upgrade HistoryFolder::upgrade(const IdOf& idOf) const
{
    Upgrade done;
    if (data_.isEmpty())
        return done;
    const QDir data(data_);
    const QStringList pattern{Prefix + Suffix, Prefix + QStringLiteral("-*") + Suffix};
    if (data.entryList(pattern, QDir::Files).isEmpty())
        return done;
    QLockFile lock(folder() + QStringLiteral("/.lock"));
    const bool locked = QDir().mkpath(archive()) && lock.tryLock(LockWaitMs);
    // Listed again under the lock: another trainer may have moved them meanwhile.
    for (const QString& file : data.entryList(pattern, QDir::Files, QDir::Name)) {
        const QString from = data.filePath(file);
        const std::optional<QString> list = oldListName(file);
        const std::optional<QString> id = !locked ? std::nullopt : list ? idOf(*list) : QString();
        const QString own =
            id && !id->isEmpty() ? folder() + QLatin1Char('/') + *id + Suffix : QString();
        // A list's history goes to its place; one set aside, of a list gone, or of a list that
        // has a history here already, to the archive.
        const QString to = !id                                 ? QString()
                           : !own.isEmpty() && !anyExists(own) ? own
                                                               : archiveName(file);
        if (!to.isEmpty() && move(from, to))
            ++(to == own ? done.moved : done.archived);
        else
            done.stayed.append(from);
    }
    return done;
}
