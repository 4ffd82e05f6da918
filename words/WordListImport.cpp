#include "words/WordListImport.h"

#include "base/ErrorReporting.h"
#include "words/ListDraft.h"
#include "words/WordList.h"
#include "words/WordSchema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <vector>

namespace WordListImport {

namespace {

constexpr qint64 PieceBytes = 1 << 16;

// Feeds the whole file to the list. False when cancelled; error gets why it can't be read.
bool read(QFile& file, WordList& list, const Progress& progress, QString* error)
{
    std::vector<char> buffer(PieceBytes);
    const qint64 size = file.size();
    qint64 done = 0;
    for (;;) {
        const qint64 got = file.read(buffer.data(), PieceBytes);
        if (got < 0) {
            *error = file.errorString();
            return true;
        }
        if (got == 0)
            break;
        done += got;
        if (!list.feed(buffer.data(), std::size_t(got)))
            return true;
        if (progress && !progress(done, size))
            return false;
    }
    list.finish();
    return true;
}

QString refusal(const WordList& list)
{
    if (list.lineTooLong())
        return QStringLiteral("line %1 is longer than %2 bytes: this is not a word list")
            .arg(list.lines())
            .arg(WordList::MaxLineBytes);
    // A list of some lengths only is a list: the tests of a length it lacks show no words.
    QStringList reasons;
    qint64 words = 0;
    for (int length = WordSchema::ShortestWord; length <= WordSchema::LongestWord; ++length) {
        words += list.count(length);
        if (const QString reason = list.refusal(length, true); !reason.isEmpty())
            reasons.append(QStringLiteral("the list ") + reason);
    }
    if (words == 0)
        reasons.append(QStringLiteral("the list holds no words of 2 to 4 letters A-Z"));
    return reasons.join(QStringLiteral("; "));
}

// Writes the database as a draft in the lists folder and claims a name for it there.
QString write(const WordList& list, const WordListCatalog& catalog, const QString& wanted)
{
    if (!QDir().mkpath(catalog.folder()))
        throw AppError(QStringLiteral("the folder %1 can't be made").arg(catalog.folder()));
    ListDraft::removeLeftovers(catalog.folder());
    const ListDraft draft(catalog.folder(), wanted);
    WordSchema::writeDatabase(draft.path(), list.words(), list.meanings(),
                              WordListCatalog::newId());
    return catalog.claim(draft.path(), wanted);
}

// Reads the file into the list and checks it as an import does. False when the outcome is
// settled already: cancelled, or the file can't be read or is refused (the outcome says why).
bool readChecked(const QString& listFile, WordList& list, const Progress& progress,
                 Outcome& outcome)
{
    QFile file(listFile);
    // Only a regular file: a FIFO or device would keep the reading waiting.
    if (!QFileInfo(listFile).isFile()) {
        outcome.error = QStringLiteral("it is not a file");
        return false;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        outcome.error = QStringLiteral("it can't be read: ") + file.errorString();
        return false;
    }
    if (!read(file, list, progress, &outcome.error)) {
        outcome.cancelled = true;
        return false;
    }
    if (!outcome.error.isEmpty())
        return false;
    outcome.report = list.report(QLocale(), WordList::Samples::Listed);
    outcome.error = refusal(list);
    return outcome.error.isEmpty();
}

// The words of `after` not in `before` (came), and those of `before` not in `after` (went).
void countChanges(const QStringList& before, const QStringList& after, Outcome& outcome)
{
    const QSet<QString> old(before.begin(), before.end());
    for (const QString& word : after)
        outcome.came += old.contains(word) ? 0 : 1;
    outcome.went = old.size() - (after.size() - outcome.came);
}

} // namespace

Runner inPlace(Progress progress)
{
    return [progress = std::move(progress)](const Work& work) { return work(progress); };
}

Outcome build(const QString& listFile, const WordListCatalog& catalog, const Progress& progress)
{
    Outcome outcome;
    WordList list({}, WordList::Letters::Folded);
    if (!readChecked(listFile, list, progress, outcome))
        return outcome;
    try {
        outcome.name = write(list, catalog, WordListCatalog::wantedName(listFile));
        outcome.written = true;
    } catch (const AppError& e) {
        outcome.error = e.description();
    }
    return outcome;
}

Outcome replace(const QString& listFile, const WordListCatalog& catalog, const QString& name,
                const Progress& progress)
{
    Outcome outcome;
    WordList list({}, WordList::Letters::Folded);
    if (!readChecked(listFile, list, progress, outcome))
        return outcome;
    try {
        const QString id = catalog.idOf(name);
        const QString path = catalog.pathOf(name);
        const QStringList before = WordSchema::readWords(path);
        const QStringList after = list.words();
        // Words that went before, or now, and are not back: their answers count nowhere.
        QSet<QString> gone(before.cbegin(), before.cend());
        for (const QString& word : WordSchema::wordsGone(path))
            gone.insert(word);
        for (const QString& word : after)
            gone.remove(word);
        ListDraft::removeLeftovers(catalog.folder());
        const ListDraft draft(catalog.folder(), name);
        WordSchema::writeDatabase(draft.path(), after, list.meanings(), id, gone.values());
        catalog.replace(draft.path(), name, id);
        countChanges(before, after, outcome);
        outcome.name = name;
        outcome.written = true;
    } catch (const AppError& e) {
        outcome.error = e.description();
    }
    return outcome;
}

} // namespace WordListImport
