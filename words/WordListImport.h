#pragma once

#include "words/WordListCatalog.h"

#include <QString>

#include <functional>

// Builds a word database from a word list file, with the reader and the rules of lexitor-words
// --fold: the list's encoding and line ends, letters with diacritics folded to A-Z, the reasons a
// line is rejected, at most 32,767 words a length and at least one word in all. The database is
// built in the catalog's folder as a locked draft (ListDraft) and takes a name of its own there
// only when it is complete (WordListCatalog::claim), so a failed or cancelled import leaves
// nothing behind and no list is ever replaced.
namespace WordListImport {

// Told how far the reading has got, once a piece; answers false to cancel.
using Progress = std::function<bool(qint64 bytesRead, qint64 bytesInAll)>;

struct Outcome
{
    bool written = false;
    bool cancelled = false;
    QString error; // why nothing was written, for the player; "" when written or cancelled
    // The words kept per length and the lines rejected per reason, with the first of each, in
    // the locale's figures.
    QString report;
    QString name; // the name the list took, when written
    // Of a replaced list, once written: the words new to it, and those it no longer holds.
    qint64 came = 0;
    qint64 went = 0;
};

// The building of a list from its file, told how far the reading has got.
using Work = std::function<Outcome(const Progress&)>;
// Runs the work and hands back its outcome: at once, or on a thread of its own while the window's
// thread goes on (ListFileJob).
using Runner = std::function<Outcome(const Work&)>;
// A runner that does the work at once, on the calling thread, telling `progress`.
Runner inPlace(Progress progress = {});

Outcome build(const QString& listFile, const WordListCatalog& catalog,
              const Progress& progress = {});

// Builds the database from the file, with the same rules, in place of the catalog's list `name`:
// the list keeps its name and its id, and so its history. The new database is written as a draft
// beside the old one and takes its place by one rename (WordListCatalog::replace), so whatever
// fails, the list stays as it was.
Outcome replace(const QString& listFile, const WordListCatalog& catalog, const QString& name,
                const Progress& progress = {});

} // namespace WordListImport
