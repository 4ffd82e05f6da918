#include "study/Phonies.h"

#include "base/ErrorReporting.h"
#include "base/Random.h"

#include <algorithm>
#include <utility>

namespace {

// Seed words drawn at most for one phony: only a list holding nearly every string of its length
// leaves no slip of so many seeds free.
constexpr int MaxSeeds = 300;

} // namespace

Phonies::Phonies(const QHash<int, QStringList>& lists, const WordPlaces& words)
    : lists_(lists), words_(words)
{}

QStringList Phonies::make(int length, int count, const QStringList& avoid, RandomSource& random)
{
    QStringList made;
    while (made.size() < count)
        made.append(one(length, avoid + made, random));
    return made;
}

const LetterModel& Phonies::model(int length)
{
    auto it = models_.find(length);
    if (it == models_.end())
        it = models_.try_emplace(length, lists_.value(length)).first;
    return it->second;
}

// The strings one slip away from the word that are neither words nor to be avoided.
QStringList Phonies::slips(const QString& word, const QStringList& avoid) const
{
    QStringList found;
    auto consider = [&](const QString& slip) {
        if (!words_.contains(slip) && !avoid.contains(slip))
            found.append(slip);
    };
    for (qsizetype i = 0; i < word.size(); ++i)
        for (char16_t letter = u'A'; letter <= u'Z'; ++letter)
            if (word.at(i) != QChar(letter)) {
                QString slip = word;
                slip[i] = QChar(letter);
                consider(slip);
            }
    for (qsizetype i = 0; i + 1 < word.size(); ++i)
        if (word.at(i) != word.at(i + 1)) {
            QString slip = word;
            std::swap(slip[i], slip[i + 1]);
            consider(slip);
        }
    return found;
}

namespace {

// The strings, best first; equal scores in letter order, so the same draws give the same phony.
QStringList bestFirst(QList<std::pair<double, QString>> scored)
{
    std::sort(scored.begin(), scored.end(), [](const auto& a, const auto& b) {
        return a.first != b.first ? a.first > b.first : a.second < b.second;
    });
    scored.erase(std::unique(scored.begin(), scored.end()), scored.end());
    QStringList strings;
    strings.reserve(scored.size());
    for (const auto& [score, string] : std::as_const(scored))
        strings.append(string);
    return strings;
}

} // namespace

namespace {

// How many strings of capital letters have this length.
qsizetype stringsOf(int length)
{
    qsizetype strings = 1;
    for (int i = 0; i < length; ++i)
        strings *= 26;
    return strings;
}

} // namespace

// A list holding most strings of its length leaves a seed word few slips that are not words,
// too few to find its phonies by.
bool Phonies::crowded(int length) const
{
    return 2 * lists_.value(length).size() > stringsOf(length);
}

bool Phonies::canMake(int length, int count)
{
    // A list may hold strings that are no words of its length, or one twice: only more strings
    // than there are can leave too few.
    if (lists_.value(length).size() + count <= stringsOf(length))
        return true;
    return everyNonWord(length).size() >= count;
}

const QStringList& Phonies::everyNonWord(int length)
{
    if (const auto found = every_.find(length); found != every_.end())
        return found->second;
    const LetterModel& letters = model(length);
    QList<std::pair<double, QString>> scored;
    QString string(length, QChar(u'A'));
    for (qsizetype n = 0, all = stringsOf(length); n < all; ++n) {
        qsizetype rest = n;
        for (int i = length - 1; i >= 0; --i, rest /= 26)
            string[i] = QChar(char16_t(u'A' + rest % 26));
        if (!words_.contains(string))
            scored.append({letters.logScore(string), string});
    }
    return every_.try_emplace(length, bestFirst(std::move(scored))).first->second;
}

// The candidates for one phony that are neither words nor to be avoided, best first: every
// two-letter one or every one of a crowded list, else the slips of seed words drawn from the list.
QStringList Phonies::ranked(int length, const QStringList& avoid, RandomSource& random)
{
    if (length == 2 || crowded(length)) {
        QStringList all = everyNonWord(length);
        all.removeIf([&](const QString& string) { return avoid.contains(string); });
        return all;
    }
    const QStringList& list = *lists_.constFind(length);
    const LetterModel& letters = model(length);
    const auto last = qint16(std::min<qsizetype>(list.size(), 32767) - 1);
    QList<std::pair<double, QString>> scored;
    for (int seed = 0; seed < MaxSeeds && scored.size() < PoolSize; ++seed)
        for (const QString& slip : slips(list.at(RandomBetween(random, 0, last)), avoid))
            scored.append({letters.logScore(slip), slip});
    return bestFirst(std::move(scored));
}

// On simulated learners over 60 days of 150 questions (two- and three-letter words, three seeds),
// going round the best 64 two-letter phonies instead of drawing among the best 4 raised the
// learner whose eye for fakes ignores their look by 4 points of the list and the average learner
// by 3; none of the others lost a point on average.
QString Phonies::one(int length, const QStringList& avoid, RandomSource& random)
{
    const auto list = lists_.constFind(length);
    QString phony;
    if (list != lists_.constEnd() && !list->isEmpty())
        phony = drawn(length, ranked(length, avoid, random), random);
    if (phony.isEmpty())
        throw AppError(QStringLiteral("No %1-letter non-word can be made").arg(length));
    madeLately(phony);
    return phony;
}

// One of the best-ranked few not made lately. Where those have all been (a short list leaves
// few slips), one of the next best not made lately: a phony not seen for a while proves more
// than a likelier one learnt by sight. Where every one has been, the one made longest ago.
QString Phonies::drawn(int length, const QStringList& ranks, RandomSource& random) const
{
    const qsizetype among = length == 2 ? BestRankedOfTwoLetters : BestRankedOfLonger;
    static const Recent none;
    const auto found = recent_.find(length);
    const Recent& recent = found == recent_.end() ? none : found->second;
    const auto notLately = [&](QStringList strings) {
        strings.removeIf([&](const QString& string) { return recent.set.contains(string); });
        return strings.first(std::min(strings.size(), among));
    };
    QStringList from = notLately(ranks.first(std::min(ranks.size(), among)));
    if (from.isEmpty())
        from = notLately(ranks);
    if (!from.isEmpty())
        return from.at(RandomBetween(random, 0, qint16(from.size() - 1)));
    const QSet<QString> candidates(ranks.cbegin(), ranks.cend());
    for (const QString& made : recent.order) // the oldest first
        if (candidates.contains(made))
            return made;
    return QString();
}

int Phonies::keptOf(qsizetype length)
{
    return length == 2 ? RecentlyMadeOfTwoLetters : RecentlyMadeOfLonger;
}

void Phonies::remember(const QStringList& shown)
{
    // The latest first, each once, while each length's memory has room; then put oldest first,
    // before the phonies already made.
    std::map<int, QStringList> latestFirst;
    for (auto it = shown.crbegin(); it != shown.crend(); ++it) {
        Recent& recent = recent_[int(it->size())];
        if (recent.set.size() < keptOf(it->size()) && !recent.set.contains(*it)) {
            recent.set.insert(*it);
            latestFirst[int(it->size())].append(*it);
        }
    }
    for (auto& [length, older] : latestFirst) {
        std::reverse(older.begin(), older.end());
        Recent& recent = recent_[length];
        recent.order = older + recent.order;
    }
}

void Phonies::madeLately(const QString& phony)
{
    Recent& recent = recent_[int(phony.size())];
    if (recent.set.contains(phony))
        recent.order.removeOne(phony);
    else
        recent.set.insert(phony);
    recent.order.append(phony);
    while (recent.order.size() > keptOf(phony.size()))
        recent.set.remove(recent.order.takeFirst());
}
