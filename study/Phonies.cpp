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

Phonies::Phonies(const QHash<int, QStringList>& lists, const QSet<QString>& words)
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

QString Phonies::one(int length, const QStringList& avoid, RandomSource& random)
{
    const auto list = lists_.constFind(length);
    if (list != lists_.constEnd() && !list->isEmpty()) {
        const LetterModel& letters = model(length);
        const auto last = qint16(std::min<qsizetype>(list->size(), 32767) - 1);
        QList<std::pair<double, QString>> ranked;
        for (int seed = 0; seed < MaxSeeds && ranked.size() < PoolSize; ++seed)
            for (const QString& slip : slips(list->at(RandomBetween(random, 0, last)), avoid))
                ranked.append({letters.logScore(slip), slip});
        if (!ranked.isEmpty()) {
            // Best first; equal scores in letter order, so the same draws give the same phony.
            std::sort(ranked.begin(), ranked.end(), [](const auto& a, const auto& b) {
                return a.first != b.first ? a.first > b.first : a.second < b.second;
            });
            ranked.erase(std::unique(ranked.begin(), ranked.end()), ranked.end());
            const int among = length == 2 ? BestRankedOfTwoLetters : BestRankedOfLonger;
            const auto best = qint16(std::min<qsizetype>(ranked.size(), among) - 1);
            return ranked.at(RandomBetween(random, 0, best)).second;
        }
    }
    throw AppError(QStringLiteral("No %1-letter non-word can be made").arg(length));
}
