#include "DatabaseTarget.h"

#include "base/ErrorReporting.h"
#include "words/WordSchema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <pthread.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

// The signals that stop a run, after which its temporary files go.
constexpr int StopSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

// Holds the stop signals back while it lives: one that comes between the temporary file's making
// and the handler's knowing its name waits, and then removes it.
class StopSignalsHeld
{
public:
    StopSignalsHeld()
    {
        sigset_t stops;
        sigemptyset(&stops);
        for (const int signal : StopSignals)
            sigaddset(&stops, signal);
        ::pthread_sigmask(SIG_BLOCK, &stops, &old_);
    }
    ~StopSignalsHeld() { ::pthread_sigmask(SIG_SETMASK, &old_, nullptr); }
    StopSignalsHeld(const StopSignalsHeld&) = delete;
    StopSignalsHeld& operator=(const StopSignalsHeld&) = delete;

private:
    sigset_t old_;
};

// What the signal handler removes: the temporary database and its journal.
char cleanupPaths[2][PATH_MAX + 16];
volatile std::sig_atomic_t cleanupArmed = 0;

extern "C" void removeTemporaryAndStop(int signal)
{
    if (cleanupArmed) {
        ::unlink(cleanupPaths[0]);
        ::unlink(cleanupPaths[1]);
    }
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

void armCleanup(const QByteArray& temporary)
{
    const QByteArray journal = temporary + "-journal";
    if (std::size_t(journal.size()) >= sizeof cleanupPaths[0])
        return;
    std::memcpy(cleanupPaths[0], temporary.constData(), std::size_t(temporary.size()) + 1);
    std::memcpy(cleanupPaths[1], journal.constData(), std::size_t(journal.size()) + 1);
    cleanupArmed = 1;
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    for (const int signal : StopSignals) {
        struct sigaction action = {};
        struct sigaction old = {};
        action.sa_handler = removeTemporaryAndStop;
        sigemptyset(&action.sa_mask);
        // A signal the caller ignores (a background job's SIGINT) stays ignored.
        if (::sigaction(signal, nullptr, &old) == 0 && old.sa_handler != SIG_IGN)
            ::sigaction(signal, &action, nullptr);
    }
}

QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

bool sameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

QString kindOf(mode_t mode)
{
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QStringLiteral("a device");
    if (S_ISFIFO(mode))
        return QStringLiteral("a FIFO");
    if (S_ISSOCK(mode))
        return QStringLiteral("a socket");
    return QStringLiteral("a special file");
}

} // namespace

DatabaseTarget::DatabaseTarget(const QString& output, const struct stat* input, bool force)
    : output_(output)
{
    // Follow symbolic links by hand: the last one may name a file that does not exist yet.
    QByteArray path = QFile::encodeName(output);
    for (int links = 0;; ++links) {
        if (::lstat(path.constData(), &status_) != 0) {
            if (errno != ENOENT)
                fail(systemError());
            break;
        }
        if (!S_ISLNK(status_.st_mode)) {
            exists_ = true;
            break;
        }
        if (links == 40)
            fail(QStringLiteral("too many symbolic links"));
        QByteArray next(PATH_MAX, '\0');
        const ssize_t size = ::readlink(path.constData(), next.data(), std::size_t(next.size()));
        if (size < 0 || size >= next.size())
            fail(systemError());
        next.truncate(size);
        if (!next.startsWith('/')) {
            const qsizetype slash = path.lastIndexOf('/');
            next.prepend(slash < 0 ? QByteArray() : path.left(slash + 1));
        }
        path = next;
    }
    path_ = QFileInfo(QFile::decodeName(path)).absoluteFilePath();

    if (exists_) {
        if (S_ISDIR(status_.st_mode))
            fail(QStringLiteral("it is a folder"));
        if (!S_ISREG(status_.st_mode))
            throw AppError(QStringLiteral("will not replace %1: it is %2, not a regular file")
                               .arg(output_, kindOf(status_.st_mode)));
        if (input && sameFile(*input, status_))
            throw AppError(
                QStringLiteral("will not replace %1: it is the word list itself").arg(output_));
        // An empty file holds nothing to lose.
        if (!force && status_.st_size > 0 && !WordSchema::isWordDatabase(path_))
            throw AppError(QStringLiteral("will not replace %1: it is not a word database "
                                          "(--force replaces it anyway)")
                               .arg(output_));
    }
    removeLeftovers();
    createTemporary();
}

DatabaseTarget::~DatabaseTarget()
{
    removeTemporary();
}

void DatabaseTarget::fail(const QString& reason) const
{
    throw AppError(QStringLiteral("cannot write %1: %2").arg(output_, reason));
}

// Temporary files of earlier runs for this target that no live run holds locked.
void DatabaseTarget::removeLeftovers() const
{
    const QFileInfo target(path_);
    const QRegularExpression pattern(QRegularExpression::anchoredPattern(
        QRegularExpression::escape(QLatin1Char('.') + target.fileName() + QLatin1Char('.')) +
        QStringLiteral("[A-Za-z0-9]{6}(-journal)?")));
    const QDir folder = target.absoluteDir();
    QStringList journals;
    const QStringList entries =
        folder.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
        if (!pattern.match(entry).hasMatch())
            continue;
        if (entry.endsWith(QLatin1String("-journal"))) {
            journals.append(entry);
            continue;
        }
        const QByteArray file = QFile::encodeName(folder.filePath(entry));
        const int fd = ::open(file.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat opened = {};
        struct stat named = {};
        if (::fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode) &&
            ::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::lstat(file.constData(), &named) == 0 &&
            sameFile(opened, named))
            ::unlink(file.constData());
        ::close(fd);
    }
    // A journal outlives its database only when the run that wrote it is gone.
    for (const QString& journal : std::as_const(journals)) {
        const QByteArray file = QFile::encodeName(folder.filePath(journal));
        const QByteArray database = file.chopped(int(std::strlen("-journal")));
        struct stat status = {};
        if (::lstat(database.constData(), &status) != 0 && errno == ENOENT &&
            ::lstat(file.constData(), &status) == 0 && S_ISREG(status.st_mode))
            ::unlink(file.constData());
    }
}

void DatabaseTarget::createTemporary()
{
    const QFileInfo target(path_);
    const StopSignalsHeld held;
    for (int attempt = 0; attempt < 100; ++attempt) {
        QByteArray name = QFile::encodeName(target.absolutePath() + QStringLiteral("/.") +
                                            target.fileName() + QStringLiteral(".XXXXXX"));
        const int fd = ::mkostemp(name.data(), O_CLOEXEC);
        if (fd < 0) {
            if (errno == ENOENT || errno == ENOTDIR)
                fail(QStringLiteral("the folder %1 does not exist").arg(target.absolutePath()));
            fail(systemError());
        }
        // Another run's clean-up may take the new file between its creation and the lock.
        struct stat opened = {};
        struct stat named = {};
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstat(fd, &opened) == 0 &&
            ::lstat(name.constData(), &named) == 0 && sameFile(opened, named)) {
            fd_ = fd;
            temporary_ = QFile::decodeName(name);
            armCleanup(name);
            return;
        }
        ::close(fd);
    }
    fail(QStringLiteral("no temporary file could be made beside it"));
}

void DatabaseTarget::replace()
{
    struct stat built = {};
    if (::fsync(fd_) != 0 || ::fstat(fd_, &built) != 0)
        fail(systemError());
    if (exists_) {
        if ((built.st_uid != status_.st_uid || built.st_gid != status_.st_gid) &&
            ::fchown(fd_, status_.st_uid, status_.st_gid) != 0)
            fail(QStringLiteral("cannot keep its owner: %1").arg(systemError()));
        // After the owner: chown() clears the set-ID bits.
        if (::fchmod(fd_, status_.st_mode & 07777) != 0)
            fail(systemError());
    } else if (::fchmod(fd_, 0644) != 0) { // readable by everyone, like any file the program ships
        fail(systemError());
    }
    // What was checked at the start must still hold.
    struct stat now = {};
    const QByteArray path = QFile::encodeName(path_);
    if (::lstat(path.constData(), &now) == 0 && !S_ISREG(now.st_mode))
        throw AppError(
            QStringLiteral("will not replace %1: it is no longer a regular file").arg(output_));
    if (::rename(QFile::encodeName(temporary_).constData(), path.constData()) != 0)
        fail(systemError());
    const int folder = ::open(QFile::encodeName(QFileInfo(path_).absolutePath()).constData(),
                              O_RDONLY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    cleanupArmed = 0;
    ::close(fd_);
    fd_ = -1;
    temporary_.clear();
}

void DatabaseTarget::removeTemporary()
{
    if (fd_ < 0)
        return;
    const QByteArray name = QFile::encodeName(temporary_);
    ::unlink(name.constData());
    ::unlink((name + "-journal").constData());
    cleanupArmed = 0;
    ::close(fd_);
    fd_ = -1;
}
