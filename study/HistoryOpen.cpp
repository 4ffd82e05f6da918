// Opening a history, in one straight path: classify the file, open or create it, bring it to the
// current layout, read its rules and its states. Nothing else opens one; every read after it
// works on what was read here, and a read never opens anything.

#include "base/Branding.h"
#include "study/History.h"
#include "study/HistoryFile.h"
#include "study/HistoryImpl.h"
#include "study/HistorySchema.h"

#include <QDir>

#include <algorithm>

void History::Impl::open()
{
    if (mode != HistoryMode::Untried)
        return;
    mode = openFile();
    if (mode == HistoryMode::Writable)
        readRules();
    readStates();
    // The writer applies answers under the rules just read and knows the last answer in the
    // file, so its first write reads no state afresh. The whole file is read through for damage
    // on its thread, not here.
    if (mode == HistoryMode::Writable)
        writes().check();
}

HistoryMode History::Impl::openFile()
{
    if (path.isEmpty())
        return HistoryMode::InMemory; // a history kept in memory on purpose
    QString reason;
    using Outcome = HistoryFile::Outcome;
    const auto check = HistoryFile::Check::ByWriter;
    Outcome outcome = HistoryFile::open(db, &reason, true, check);
    if (outcome == Outcome::Damaged) {
        const QString movedTo = moveAside(HistoryFile::DamagedMark);
        if (movedTo.isEmpty()) {
            tellNotSaving(QStringLiteral("it is damaged and can't be moved aside"));
            return HistoryMode::InMemory;
        }
        tellStartedAfresh(movedTo);
        outcome = HistoryFile::open(db, &reason, true, check);
    }
    // Keep what can still be read for this run; write nothing for now.
    HistoryMode left = HistoryMode::InMemory;
    switch (outcome) {
    case Outcome::Ready:
        return HistoryMode::Writable;
    case Outcome::Foreign:
        left = HistoryMode::Foreign;
        break;
    case Outcome::Unwritable:
        left = HistoryMode::ReadOnly;
        break;
    case Outcome::Damaged:
        db.close();
        break;
    case Outcome::Newer:
        break;
    }
    mode = left;
    tellNotSaving(reason);
    return left;
}

void History::Impl::readRules()
{
    try {
        if (const auto weights = HistorySchema::storedWeights(db))
            policy.model = Fsrs::Model(*weights);
        const QVariant spotting = HistorySchema::meta(db, QStringLiteral("fake_spotting"));
        if (!spotting.isNull())
            policy.fakeSpotting = std::clamp(spotting.toDouble(), 0.0, 1.0);
        // States derived under other rules serve until the background rebuild is taken up. With
        // no answers there is nothing to replay: the writer notes the rules at once.
        const QVariant grading = HistorySchema::meta(db, QStringLiteral("grading"));
        if (grading.isNull() || grading.toInt() != policy.rulesVersion()) {
            if (HistorySchema::lastAnswerId(db) == 0) {
                HistoryRebuild::Outcome nothing;
                nothing.rebuilt = true;
                adopt(std::move(nothing));
            } else {
                startBackground(order(true, QDate()));
            }
        }
    } catch (const DbError& e) {
        tellNotSaving(e.cause());
    }
}

void History::Impl::readStates()
{
    QHash<QString, WordMemory> stored;
    std::optional<HistoryPreload::Outcome> ahead;
    if (preload)
        ahead = std::exchange(preload, nullptr)->take();
    try {
        if (db.isOpen() && ahead && ahead->stamp == HistorySchema::stateStamp(db)) {
            stored = std::move(ahead->states);
            lastSeenId = ahead->lastAnswerId;
            if (!nonWordsRead)
                recentNonWords = std::move(ahead->nonWords);
        } else if (db.isOpen()) {
            stored = HistorySchema::readStates(db);
            lastSeenId = HistorySchema::lastAnswerId(db);
            if (!nonWordsRead)
                recentNonWords = HistorySchema::recentNonWords(db, AnswerLog::RecentNonWords);
        }
        nonWordsRead = true;
    } catch (const DbError&) {
        // Whatever was read stays; the next write finds out what is wrong.
    }
    states.reset(std::move(stored), policy, log.unwritten());
    ++owner.statesRevision_;
}

void History::Impl::refreshWords(const QStringList& words)
{
    QHash<QString, WordMemory> fresh;
    if (db.isOpen()) {
        try {
            fresh = HistoryRebuild::replayWords(db, policy, words);
        } catch (const DbError&) {
            states.markStale();
            return;
        }
    }
    for (const AnswerRecord& a : std::as_const(log.unsaved))
        if (std::any_of(words.cbegin(), words.cend(),
                        [&](const QString& w) { return a.candidates.contains(w); }))
            policy.apply(fresh, a);
    states.replaceWords(fresh, words);
}

void History::Impl::tellNotSaving(const QString& reason)
{
    if (mode == HistoryMode::Writable)
        mode = HistoryMode::ReadOnly;
    if (toldNotSaving)
        return;
    toldNotSaving = true;
    owner.messages_.show(
        QStringLiteral("Your progress is not being saved.\r\n\r\nThe study history\r\n%1\r\n"
                       "can't be written: %2\r\n\r\nEvery test still works.")
            .arg(QDir::toNativeSeparators(path), reason),
        Branding::ProductName, MessageIcon::Warning);
}

void History::Impl::tellStartedAfresh(const QString& movedTo)
{
    owner.messages_.show(
        QStringLiteral("The study history was damaged, so a new one has been started.\r\n"
                       "\r\nThe damaged file was kept as\r\n%1")
            .arg(QDir::toNativeSeparators(movedTo)),
        Branding::ProductName, MessageIcon::Warning);
}

QString History::Impl::moveAside(const QString& why)
{
    stopBackground();
    log.forgetWrittenLast(); // what was written goes with the file
    return HistoryFile::moveAside(db, why);
}

void History::Impl::forget()
{
    preload.reset();
    stopBackground();
    writeThread.reset(); // its connection closes before the file moves
    fitAskedOn = QDate();
    log.clear(); // a file no longer kept takes nothing
    db.close();
    states.reset({}, policy, {});
    lastSeenId = 0;
    mode = HistoryMode::Untried;
}
