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
};

Outcome build(const QString& listFile, const WordListCatalog& catalog,
              const Progress& progress = {});

} // namespace WordListImport
