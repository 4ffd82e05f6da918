#include "base/look/HandCursor.h"

#include "base/ErrorReporting.h"
#include "base/ProgramFiles.h"
#include "base/look/PushButton.h"

#include <QFile>
#include <QMutex>
#include <QPixmap>
#include <QtEndian>

#include <sys/stat.h>

std::optional<CursorPicture> DecodeCursorFile(const QByteArray& bytes)
{
    // Qt's cursor reader drops the hotspot, which the file keeps at bytes 10 to 13.
    if (bytes.size() < 14 || bytes.size() > MaxCursorFileBytes)
        return std::nullopt;
    QImage image;
    if (!image.loadFromData(bytes, "CUR") || image.isNull())
        return std::nullopt;
    const int x = qFromLittleEndian<quint16>(bytes.constData() + 10);
    const int y = qFromLittleEndian<quint16>(bytes.constData() + 12);
    const QPoint hotSpot(qBound(0, x, image.width() - 1), qBound(0, y, image.height() - 1));
    return CursorPicture{image, hotSpot};
}

namespace {

// What tells one version of a file from another without reading it.
struct FileIdentity
{
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};

    bool operator==(const FileIdentity& o) const
    {
        return device == o.device && inode == o.inode && size == o.size &&
               modified.tv_sec == o.modified.tv_sec && modified.tv_nsec == o.modified.tv_nsec;
    }
};

std::optional<FileIdentity> identify(const QString& path)
{
    struct stat st
    {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    return FileIdentity{st.st_dev, st.st_ino, st.st_size, st.st_mtim};
}

// The last cursor file read and its outcome: a picture, or nothing for a damaged file.
struct CursorCache
{
    QMutex mutex;
    QString path;
    FileIdentity identity;
    bool filled = false;
    std::optional<CursorPicture> picture;
};

CursorCache& cache()
{
    static CursorCache instance;
    return instance;
}

AppError notFound(const QString& path)
{
    return AppError(QStringLiteral("File not found: ") + path);
}

} // namespace

CursorPicture ReadCursorPicture(const QString& path)
{
    CursorCache& c = cache();
    const QMutexLocker lock(&c.mutex);
    const std::optional<FileIdentity> identity = identify(path);
    if (!identity)
        throw notFound(path);
    if (!c.filled || c.path != path || !(c.identity == *identity)) {
        const ProgramFile file = ReadProgramFile(path, MaxCursorFileBytes);
        switch (file.status) {
        case ProgramFile::Status::Missing:
        case ProgramFile::Status::Unreadable:
            throw notFound(path);
        case ProgramFile::Status::TooLarge:
            c.picture.reset();
            break;
        case ProgramFile::Status::Read:
            c.picture = DecodeCursorFile(file.bytes);
            break;
        }
        c.path = path;
        c.identity = *identity;
        c.filled = true;
    }
    if (!c.picture)
        throw AppError(QStringLiteral("Invalid picture"));
    return *c.picture;
}

QCursor LoadHandCursor(const QString& path)
{
    const CursorPicture picture = ReadCursorPicture(path);
    return QCursor(QPixmap::fromImage(picture.image), picture.hotSpot.x(), picture.hotSpot.y());
}

void ApplyHandPointer(QWidget* window, const std::optional<QCursor>& hand)
{
    window->unsetCursor();
    for (PushButton* button : window->findChildren<PushButton*>()) {
        if (hand)
            button->setCursor(*hand);
        else
            button->unsetCursor();
    }
}
