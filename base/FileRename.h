#pragma once

#include <QString>

// Renames the file at from to to, never over a file there (renameat2 with RENAME_NOREPLACE). On a
// file system that can't refuse, it looks first and renames then: the caller holds a lock that
// keeps others out meanwhile. False, with errno set, when nothing was renamed.
bool RenameWithoutReplacing(const QString& from, const QString& to);
