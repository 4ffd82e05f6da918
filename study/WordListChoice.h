#pragma once

#include "base/Environment.h"
#include "study/History.h"
#include "study/HistoryFolder.h"
#include "words/WordListCatalog.h"
#include "words/WordListImport.h"
#include "words/WordStore.h"

#include <QList>
#include <QString>

#include <optional>

// Which word list the trainer uses: the bundled dbWords.mdb of the program folder (named "") or
// one the player imported. The word store, the study history (one file per list, named by the
// list's id: HistoryFolder) and the remembered choice always change together. No widgets: the
// word-lists window and the tests drive it alike.
//
// The first list opened moves the histories of the layout before ids over (HistoryFolder::upgrade,
// renames only); a list imported before then gets its id on that first use (WordListCatalog::idOf).
// A list whose id can't be had (its folder is read-only) keeps its old history file.
class WordListChoice
{
public:
    static inline const QString BundledFile = QStringLiteral("dbWords.mdb");
    // What the player sees for the bundled list; no imported list can be named like it.
    static inline const QString BundledName = QStringLiteral("Bundled list");

    // The catalog's names keep out the bundled list's.
    WordListChoice(Environment& env, WordStore& store, History& history,
                   WordListCatalog catalog = WordListCatalog(),
                   HistoryFolder histories = HistoryFolder());

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
    // (given back in name). The building goes through `run` (a window runs it on a thread); the
    // choice's own steps stay on the calling thread.
    WordListImport::Outcome import(const QString& listFile, QString* name,
                                   const WordListImport::Runner& run);
    WordListImport::Outcome import(const QString& listFile, QString* name,
                                   const WordListImport::Progress& progress = {})
    {
        return import(listFile, name, WordListImport::inPlace(progress));
    }
    // Deletes an imported list; when it is the one in use, the bundled list takes over first.
    // False when the file could not be deleted.
    bool remove(const QString& name);
    // Gives an imported list a new name: its one file is renamed, its history (kept by id) stays;
    // the choice follows when it is the list in use. Throws AppError with why, for the player.
    void rename(const QString& from, const QString& to);

    // Puts the words of the file in place of an imported list's, as an import reads them: the list
    // keeps its name and its id, and so its history; the words it no longer holds stay in the
    // history and are no longer asked. When it is the list in use, the store opens the new words.
    // Whatever fails, the list and its history stay as they were (the outcome's error says why).
    // Throws AppError only when the new list, in place, can't be opened in the store; the bundled
    // list is then in use.
    WordListImport::Outcome replace(const QString& name, const QString& listFile,
                                    const WordListImport::Runner& run);
    WordListImport::Outcome replace(const QString& name, const QString& listFile,
                                    const WordListImport::Progress& progress = {})
    {
        return replace(name, listFile, WordListImport::inPlace(progress));
    }

    // The history of the list: by its id, or its old file while that stays.
    QString historyPath(const QString& name);
    // What the first list opened moved; nullopt before.
    const std::optional<HistoryFolder::Upgrade>& upgrade() const { return upgrade_; }

private:
    Environment& env_;
    WordStore& store_;
    History& history_;
    WordListCatalog catalog_;
    HistoryFolder histories_;
    std::optional<HistoryFolder::Upgrade> upgrade_;
    QString active_;

    // The list's id: "" when gone, nullopt when it can't be had now.
    std::optional<QString> idOf(const QString& name) const;
};
