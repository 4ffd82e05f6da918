#pragma once

#include <QString>
#include <QTemporaryFile>

#include <memory>

// A word list being written: the hidden file .NAME.mdb.XXXXXX in the lists folder, locked (flock)
// for as long as the object lives, so that another trainer's import never takes it for one left
// by an import that was killed. The file and SQLite's journal beside it go with the object.
class ListDraft
{
public:
    // Makes the file; throws AppError when it can't.
    ListDraft(const QString& folder, const QString& name);
    ~ListDraft();
    ListDraft(const ListDraft&) = delete;
    ListDraft& operator=(const ListDraft&) = delete;

    QString path() const { return file_->fileName(); }

    // Deletes the drafts of imports that no longer run (their lock is free) with their journals,
    // and journals whose draft is gone. A running import's draft is left alone.
    static void removeLeftovers(const QString& folder);

private:
    std::unique_ptr<QTemporaryFile> file_;
};
