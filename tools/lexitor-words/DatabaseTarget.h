#pragma once

#include <QString>

#include <sys/stat.h>

// The file lexitor-words writes, and the temporary file it builds the database in.
//
// A symbolic link is followed to the file it names, which is then replaced and keeps its mode and
// owner; the link stays. What exists there must be a regular file: a device, FIFO, socket or
// folder is never replaced, nor the word list being read, nor (without force) a file that is not
// a word database.
//
// The database is built beside the target as ".NAME.XXXXXX", held under an exclusive flock() for
// the whole run, and renamed over the target only when it is complete. SIGINT, SIGTERM, SIGHUP
// and SIGQUIT remove it and its SQLite journal. A run killed outright leaves them behind: the next
// run for the same target removes the ones no live run holds.
//
// Every failure throws AppError with a message for the user.
class DatabaseTarget
{
public:
    // input: the word list being read, or nullptr when it is no file.
    DatabaseTarget(const QString& output, const struct stat* input, bool force);
    ~DatabaseTarget();
    DatabaseTarget(const DatabaseTarget&) = delete;
    DatabaseTarget& operator=(const DatabaseTarget&) = delete;

    // The empty temporary file to build the database in.
    const QString& temporaryPath() const { return temporary_; }

    // Moves the finished database into place.
    void replace();

private:
    [[noreturn]] void fail(const QString& reason) const;
    void removeLeftovers() const;
    void createTemporary();
    void removeTemporary();

    QString output_; // as given, for messages
    QString path_;   // the file that is replaced, links followed
    bool exists_ = false;
    struct stat status_ = {};
    QString temporary_;
    int fd_ = -1; // holds the lock on the temporary file
};
