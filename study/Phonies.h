#pragma once

#include "base/Services.h"
#include "study/LetterModel.h"
#include "study/WordPlaces.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

#include <map>

// Non-words a player could take for real words ("phonies"), for study questions. A random string
// such as QXOZ is rejected at a glance, so picking it out proves little; the phonies here make the
// player tell a word from its near miss (ZEK or ZEP?).
//
// A phony of three letters or more is a one-letter slip from a real word of its length: one letter
// replaced, or two neighbouring letters swapped. (Letters added or dropped would need the lists of
// other lengths, which need not be studied.) For each phony a few seed words are drawn from the
// list; their slips that are not words of the list are ranked by a LetterModel of the list, and
// the phony is drawn among the best few, so questions vary while the phonies stay word-like. Only a
// handful of strings are scored per phony, whatever the list's size; the model of a length is built
// the first time that length is asked for. Two-letter strings are few: every one that is no word
// is ranked, once; so is every non-word of a list that holds most strings of its length, where a
// seed word leaves too few slips. Every draw comes from the RandomSource passed in.
//
// A phony made lately waits, as long as others are left: one that keeps coming back is learnt by
// sight, and then picking it out proves nothing of the words beside it. Where the best-ranked
// have all been made lately, less likely slips come first, and where every one has been, the one
// made longest ago. "Lately" reaches back beyond the session: the engine hands in the non-words
// its history showed last (remember()).
//
// Each phony of a question comes from seeds of its own: phonies sharing a seed would be near
// each other, and a cluster of near strings tells a player which ones are fake.
class Phonies
{
public:
    // Slips ranked for one phony (seeds are drawn until there are as many), and how many of
    // the best-ranked the phony is drawn among, leaving out those made lately while any others
    // are left. Two-letter strings are few and the list takes a fifth of them, so only a handful
    // of the others look much like words; but a handful of phonies is soon learnt by sight, so
    // the best of two letters are a few more than RecentlyMade, and the phonies go round them all
    // (from the start of a session, not the same best few each time). Longer lengths leave
    // thousands, and drawing among more keeps the phonies varied.
    static constexpr int PoolSize = 200;
    static constexpr int BestRankedOfTwoLetters = 64;
    static constexpr int BestRankedOfLonger = 40;
    // Phonies of one length that are not made again until as many others have been: for two
    // letters, a few less than the best ranked; for longer ones, about three weeks of questions at
    // 150 a day. On simulated learners over 60 days of 150 questions, a memory of 3,000 instead
    // of 60 raised the average learner by 1.5 points of the list and the one whose eye for fakes
    // ignores their look by 6: with 60, each of about a thousand phonies came back eight times,
    // and the learners knew them by sight.
    static constexpr int RecentlyMadeOfTwoLetters = 60;
    static constexpr int RecentlyMadeOfLonger = 3000;

    // lists: the word lists by length; words: every word of them (their places go unused). Both
    // are kept by reference.
    Phonies(const QHash<int, QStringList>& lists, const WordPlaces& words);

    // `count` different phonies of that length, none of them a word or in `avoid`. Throws AppError
    // when the list of that length leaves none to make.
    QStringList make(int length, int count, const QStringList& avoid, RandomSource& random);
    // Whether the list of that length leaves at least `count` non-words.
    bool canMake(int length, int count);
    // Counts non-words shown before as made lately, in the order shown (the latest last), as far
    // as each length's memory reaches.
    void remember(const QStringList& shown);

private:
    const QHash<int, QStringList>& lists_;
    const WordPlaces& words_;
    std::map<int, LetterModel> models_;
    std::map<int, QStringList> every_; // every non-word of a length, best first (once asked)
    // The phonies made lately by length, the latest last, and the same as a set.
    struct Recent
    {
        QStringList order;
        QSet<QString> set;
    };
    std::map<int, Recent> recent_;

    const LetterModel& model(int length);
    const QStringList& everyNonWord(int length);
    bool crowded(int length) const;
    QStringList ranked(int length, const QStringList& avoid, RandomSource& random);
    QString one(int length, const QStringList& avoid, RandomSource& random);
    QString drawn(int length, const QStringList& ranks, RandomSource& random) const; // "": none
    void madeLately(const QString& phony);
    static int keptOf(qsizetype length);
    QStringList slips(const QString& word, const QStringList& avoid) const;
};
