#include "study/WordListChoice.h"

#include "base/ErrorReporting.h"
#include "base/Settings.h"
#include "study/HistoryFile.h"
#include "words/WordSchema.h"

#include <QDir>
#include <QFileInfo>

WordListChoice::WordListChoice(Environment& env, WordStore& store, History& history,
                               WordListCatalog catalog, HistoryFolder histories)
    : env_(env), store_(store), history_(history), catalog_(std::move(catalog)),
      histories_(std::move(histories))
{
    // Histories are named by the lists' ids, and set aside in a folder of their own: no list's
    // name can take over one.
    catalog_.reserve([](const QString& name) {
        return WordListCatalog::foldName(name) == WordListCatalog::foldName(BundledName);
    });
}

std::optional<QString> WordListChoice::idOf(const QString& name) const
{
    if (name.isEmpty())
        return HistoryFolder::BundledId;
    if (catalog_.folder().isEmpty() || !QFileInfo(catalog_.pathOf(name)).isFile())
        return QString();
    try {
        return catalog_.idOf(name);
    } catch (const AppError&) {
        return std::nullopt;
    }
}

QString WordListChoice::historyPath(const QString& name)
{
    if (!upgrade_)
        upgrade_ = histories_.upgrade([this](const QString& list) { return idOf(list); });
    const std::optional<QString> id = idOf(name);
    // No id to be had (its folder is read-only): the history of its name, as before ids, unless
    // that is the name of a set-aside one; then one in memory.
    if (!id || id->isEmpty())
        return HistoryFile::isArchiveName(name) ? QString() : histories_.oldPath(name);
    return histories_.pathFor(*id, name);
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
    history_.switchTo(historyPath(name));
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
                                               const WordListImport::Runner& run)
{
    if (catalog_.folder().isEmpty()) {
        WordListImport::Outcome outcome;
        outcome.error = QStringLiteral("there is no home folder to keep it in");
        return outcome;
    }
    const WordListCatalog& catalog = catalog_;
    WordListImport::Outcome outcome = run([&](const WordListImport::Progress& progress) {
        return WordListImport::build(listFile, catalog, progress);
    });
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

void WordListChoice::rename(const QString& from, const QString& to)
{
    if (from.isEmpty())
        throw AppError(QStringLiteral("the bundled list keeps its name"));
    // Its history must be kept by its id first: a file of the old name would be left behind.
    if (const QString history = historyPath(from); history == histories_.oldPath(from))
        throw AppError(QStringLiteral("its history is still kept under its name, in %1")
                           .arg(QDir::toNativeSeparators(history)));
    catalog_.rename(from, to);
    if (from == active_) {
        active_ = to;
        WordListSetting().store(to);
    }
}

WordListImport::Outcome WordListChoice::replace(const QString& name, const QString& listFile,
                                                const WordListImport::Runner& run)
{
    WordListImport::Outcome refused;
    if (name.isEmpty())
        refused.error = QStringLiteral("the bundled list stays as it is");
    else if (catalog_.folder().isEmpty() || !QFileInfo(pathOf(name)).isFile())
        refused.error = QStringLiteral("there is no list \"%1\"").arg(name);
    // Its history must be kept by its id: that is what the new words take over.
    else if (const QString history = historyPath(name); history == histories_.oldPath(name))
        refused.error = QStringLiteral("its history is still kept under its name, in %1")
                            .arg(QDir::toNativeSeparators(history));
    if (!refused.error.isEmpty())
        return refused;
    const WordListCatalog& catalog = catalog_;
    WordListImport::Outcome outcome = run([&](const WordListImport::Progress& progress) {
        return WordListImport::replace(listFile, catalog, name, progress);
    });
    if (outcome.written && name == active_) {
        // The history is the list's still, by its id: only the words change.
        if (store_.isOpen())
            store_.close();
        try {
            store_.open(pathOf(name));
        } catch (const AppError&) {
            use(QString()); // the words it had are gone: the bundled list takes over
            throw;
        }
    }
    return outcome;
}
