#include "words/ListDraft.h"

#include "base/ErrorReporting.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString Journal = QStringLiteral("-journal");
constexpr int Attempts = 3;

bool isDraftName(const QString& file)
{
    static const QRegularExpression draft(QStringLiteral("^\\..+\\.mdb\\.[A-Za-z0-9]{6}$"));
    return draft.match(file).hasMatch();
}

// Locks the open file, and checks that it is still the one at path: another import's sweep may
// have taken it for a leftover between its making and the lock.
bool lockInPlace(int fd, const QString& path)
{
    struct stat held = {};
    struct stat named = {};
    return ::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstat(fd, &held) == 0 &&
           ::stat(QFile::encodeName(path).constData(), &named) == 0 &&
           held.st_dev == named.st_dev && held.st_ino == named.st_ino;
}

void removeIfAbandoned(const QString& path)
{
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return;
    // The lock is free only when the import that made the file is gone.
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
        QFile::remove(path + Journal);
        QFile::remove(path);
    }
    ::close(fd);
}

} // namespace

ListDraft::ListDraft(const QString& folder, const QString& name)
{
    const QString pattern = folder + QStringLiteral("/.") + name + QStringLiteral(".mdb.XXXXXX");
    for (int attempt = 0; attempt < Attempts; ++attempt) {
        file_ = std::make_unique<QTemporaryFile>(pattern);
        if (!file_->open())
            throw AppError(file_->errorString());
        if (lockInPlace(file_->handle(), file_->fileName()))
            return;
    }
    throw AppError(QStringLiteral("its temporary file can't be kept in %1").arg(folder));
}

ListDraft::~ListDraft()
{
    // A failed write may leave SQLite's journal; the file itself goes with file_.
    QFile::remove(path() + Journal);
}

void ListDraft::removeLeftovers(const QString& folder)
{
    const QDir dir(folder);
    for (const QString& file : dir.entryList(QDir::Files | QDir::Hidden)) {
        const QString path = dir.filePath(file);
        if (isDraftName(file))
            removeIfAbandoned(path);
        else if (file.endsWith(Journal) && isDraftName(file.chopped(Journal.size())) &&
                 !QFileInfo::exists(path.chopped(Journal.size())))
            QFile::remove(path);
    }
}
