#pragma once

#include "base/Environment.h"
#include "study/History.h"
#include "words/WordListCatalog.h"
#include "words/WordListImport.h"
#include "words/WordStore.h"

#include <QList>
#include <QString>

// Which word list the trainer uses: the bundled dbWords.mdb of the program folder (named "") or
// one the player imported. The word store, the study history (one file per list) and the
// remembered choice always change together. No widgets: the word-lists window and the tests
// drive it alike.
class WordListChoice
{
public:
    static inline const QString BundledFile = QStringLiteral("dbWords.mdb");
    // What the player sees for the bundled list; no imported list can be named like it.
    static inline const QString BundledName = QStringLiteral("Bundled list");

    // The catalog's names keep out the bundled list's and those of set-aside histories.
    WordListChoice(Environment& env, WordStore& store, History& history,
                   WordListCatalog catalog = WordListCatalog());

    struct Entry
    {
        QString name;         // "" for the bundled list
        QList<qint64> counts; // words of 2, 3 and 4 letters; empty until counted
        bool damaged = false; // the list can't be read
    };
    // The bundled list, then the imported ones by name, not counted yet: a list's views may take
    // their time limit, so they are counted off the window's thread (WordListCounter).
    QList<Entry> entries() const;
    const QString& active() const { return active_; }
    QString pathOf(const QString& name) const;

    // The store was opened on that list at start-up: the history follows it.
    void opened(const QString& name);
    // Opens the list in the word store, moves the history to the list's own and remembers the
    // choice. Throws AppError with the database's message when the list can't be opened or read
    // (a view that never ends); the store then stays on the list it had.
    void use(const QString& name);
    // Builds a new list from the file under a name of its own, claimed when the list is in place
    // (given back in name).
    WordListImport::Outcome import(const QString& listFile, QString* name,
                                   const WordListImport::Progress& progress = {});
    // Deletes an imported list; when it is the one in use, the bundled list takes over first.
    // False when the file could not be deleted.
    bool remove(const QString& name);

private:
    Environment& env_;
    WordStore& store_;
    History& history_;
    WordListCatalog catalog_;
    QString active_;
};
