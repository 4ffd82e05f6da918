#pragma once

#include <QByteArray>
#include <QString>

// True when the path names a regular file (directly or through a symbolic link) whose
// modification time can be read. A folder, a FIFO, a socket or a device counts as missing, so
// that nothing ever waits on one. Never fails.
bool FileExists(const QString& path);

// The outcome of reading one of the program's own files.
struct ProgramFile
{
    enum class Status
    {
        Read,     // bytes holds the whole file
        Missing,  // absent, or not a regular file: nothing was opened that could block
        TooLarge, // larger than the limit: nothing was read
        Unreadable
    };
    Status status = Status::Missing;
    QByteArray bytes;
};

// Reads a whole regular file of at most maxBytes. The file is opened without blocking and checked
// after opening, so a FIFO put in its place between a test and the read is never waited on.
ProgramFile ReadProgramFile(const QString& path, qint64 maxBytes);
