#include "base/ProgramFiles.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

bool FileExists(const QString& path)
{
    if (path.isEmpty() || path.contains(QChar(0)))
        return false;
    const QFileInfo info(path);
    return info.isFile() && info.lastModified().isValid();
}

namespace {

// Closes the descriptor on every way out.
class Descriptor
{
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

} // namespace

ProgramFile ReadProgramFile(const QString& path, qint64 maxBytes)
{
    using Status = ProgramFile::Status;
    if (path.isEmpty() || path.contains(QChar(0)))
        return {Status::Missing, {}};
    const QByteArray name = QFile::encodeName(path);
    // O_NONBLOCK: opening a FIFO for reading returns at once instead of waiting for a writer.
    const Descriptor fd(::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (fd.get() < 0)
        return {errno == EACCES ? Status::Unreadable : Status::Missing, {}};
    struct stat st
    {};
    if (::fstat(fd.get(), &st) != 0)
        return {Status::Unreadable, {}};
    if (!S_ISREG(st.st_mode))
        return {Status::Missing, {}};
    if (st.st_size > maxBytes)
        return {Status::TooLarge, {}};

    // A regular file never blocks; read until its end, and never past the limit even when the
    // file grows meanwhile.
    QByteArray bytes(qsizetype(st.st_size), Qt::Uninitialized);
    qint64 done = 0;
    for (;;) {
        if (done == bytes.size()) {
            if (done >= maxBytes + 1)
                return {Status::TooLarge, {}};
            bytes.resize(qsizetype(qMin<qint64>(qMax<qint64>(done * 2, 4096), maxBytes + 1)));
        }
        const ssize_t n = ::read(fd.get(), bytes.data() + done, size_t(bytes.size() - done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return {Status::Unreadable, {}};
        }
        if (n == 0)
            break;
        done += n;
    }
    if (done > maxBytes)
        return {Status::TooLarge, {}};
    bytes.truncate(qsizetype(done));
    return {Status::Read, bytes};
}
