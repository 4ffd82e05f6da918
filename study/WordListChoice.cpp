#include "study/WordListChoice.h"

#include "base/ErrorReporting.h"
#include "base/Settings.h"
#include "study/HistoryFile.h"
#include "words/WordSchema.h"

WordListChoice::WordListChoice(Environment& env, WordStore& store, History& history,
                               WordListCatalog catalog)
    : env_(env), store_(store), history_(history), catalog_(std::move(catalog))
{
    catalog_.reserve([](const QString& name) {
        return WordListCatalog::foldName(name) == WordListCatalog::foldName(BundledName) ||
               HistoryFile::isArchiveName(name);
    });
}

QString WordListChoice::pathOf(const QString& name) const
{
    return name.isEmpty() ? env_.path(BundledFile) : catalog_.pathOf(name);
}

QList<WordListChoice::Entry> WordListChoice::entries() const
{
    QList<Entry> entries{Entry{QString(), {}, false}};
    for (const QString& name : catalog_.names())
        entries.append(Entry{name, {}, false});
    return entries;
}

void WordListChoice::opened(const QString& name)
{
    active_ = name;
    history_.switchTo(HistoryFile::pathForList(name));
}

void WordListChoice::use(const QString& name)
{
    // Read within the time limit first: the store would open a list whose views never end.
    WordSchema::countWords(pathOf(name));
    WordStore& store = store_;
    if (store.isOpen())
        store.close();
    try {
        store.open(pathOf(name));
    } catch (const AppError&) {
        try {
            store.open(pathOf(active_));
        } catch (const AppError&) {
            // The list in use went too: the written tests report it when they run.
        }
        throw;
    }
    opened(name);
    WordListSetting().store(name);
}

WordListImport::Outcome WordListChoice::import(const QString& listFile, QString* name,
                                               const WordListImport::Progress& progress)
{
    if (catalog_.folder().isEmpty()) {
        WordListImport::Outcome outcome;
        outcome.error = QStringLiteral("there is no home folder to keep it in");
        return outcome;
    }
    WordListImport::Outcome outcome = WordListImport::build(listFile, catalog_, progress);
    *name = outcome.name;
    return outcome;
}

bool WordListChoice::remove(const QString& name)
{
    if (name.isEmpty())
        return false;
    if (name == active_)
        use(QString());
    return catalog_.remove(name);
}
