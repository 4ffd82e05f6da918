#include "study/ProgressFigures.h"

#include "study/WordTimeline.h"

#include <QLocale>

#include <algorithm>
#include <numeric>
#include <optional>

namespace {

QString number(int n)
{
    return ProgressData::number(n);
}

// Where the largest of the counts is, when that says something: at least two of them are above
// nought and they are not all the same.
template <typename It, typename Count> std::optional<It> mostOf(It begin, It end, Count count)
{
    std::optional<It> most;
    int nonZero = 0;
    bool differ = false;
    for (It it = begin; it != end; ++it) {
        if (count(*it) == 0)
            continue;
        if (most && count(*it) != count(**most))
            differ = true;
        ++nonZero;
        if (!most || count(*it) > count(**most))
            most = it;
    }
    return nonZero >= 2 && differ ? most : std::nullopt;
}

QString share(int part, int whole)
{
    return QStringLiteral("%1 %").arg(whole > 0 ? qRound(100.0 * part / whole) : 0);
}

QString date(const QDate& day, const char* format = "d MMM")
{
    return QLocale::c().toString(day, QLatin1String(format));
}

QString lengthsText(const QList<ProgressData::Length>& lengths)
{
    QStringList parts;
    for (const ProgressData::Length& l : lengths)
        parts.append(QStringLiteral("%1 letters: %2 known (%3), %4 learning, %5 new")
                         .arg(l.length)
                         .arg(number(l.known))
                         .arg(share(l.known, l.known + l.learning + l.newWords))
                         .arg(number(l.learning))
                         .arg(number(l.newWords)));
    return parts.join(QStringLiteral("; ")) + QLatin1Char('.');
}

QString knownText(const ProgressData& data)
{
    QStringList parts;
    bool any = false;
    for (const ProgressData::Known& k : data.known) {
        if (k.counts.isEmpty())
            continue;
        any = any || k.counts.last() > 0;
        parts.append(QStringLiteral("%1 letters %2 to %3")
                         .arg(k.length)
                         .arg(number(k.counts.first()))
                         .arg(number(k.counts.last())));
    }
    if (!any)
        return QStringLiteral("No word known yet: a word counts as known once you remember it "
                              "for three weeks.");
    return QStringLiteral("Known words from %1 to today: ").arg(date(data.knownFrom)) +
           parts.join(QStringLiteral(", ")) + QLatin1Char('.');
}

QString dueText(const ProgressData& data, const QDate& today)
{
    const int total = std::accumulate(data.due.cbegin(), data.due.cend(), 0);
    if (total == 0)
        return QStringLiteral("Nothing due in the next %1 days.").arg(data.due.size());
    const QString text = QStringLiteral("Due: %1 today, %2 tomorrow, %3 in the next %4 days")
                             .arg(number(data.due.value(0)))
                             .arg(number(data.due.value(1)))
                             .arg(number(total))
                             .arg(data.due.size());
    const auto most = mostOf(data.due.cbegin(), data.due.cend(), [](int n) { return n; });
    if (!most)
        return text + QLatin1Char('.');
    return text + QStringLiteral("; most on %1 (%2).")
                      .arg(date(today.addDays(*most - data.due.cbegin()), "ddd d MMM"))
                      .arg(number(**most));
}

QString daysText(const QList<ProgressData::Day>& days)
{
    int answers = 0, right = 0;
    for (const ProgressData::Day& d : days) {
        answers += d.answers;
        right += d.right;
    }
    if (answers == 0)
        return QStringLiteral("No answers in the last %1 days.").arg(days.size());
    const QString text = QStringLiteral("Last %1 days: %2 answers, %3 right")
                             .arg(days.size())
                             .arg(number(answers))
                             .arg(share(right, answers));
    const auto most =
        mostOf(days.cbegin(), days.cend(), [](const ProgressData::Day& d) { return d.answers; });
    if (!most)
        return text + QLatin1Char('.');
    return text + QStringLiteral("; most on %1 (%2).")
                      .arg(date((*most)->day))
                      .arg(number((*most)->answers));
}

// A label every `every` days counted back from the last, distinct blanks between them (a
// category axis keeps only distinct categories).
QStringList labels(const QDate& first, qsizetype count, int every, const char* format)
{
    QStringList result;
    for (qsizetype i = 0; i < count; ++i)
        result.append((count - 1 - i) % every == 0 ? date(first.addDays(i), format)
                                                   : QString(int(i) + 1, QLatin1Char(' ')));
    return result;
}

} // namespace

void ProgressFigures::addTimeline(ProgressData& data, const WordTimeline& timeline)
{
    data.knownFrom = timeline.first;
    data.known.clear();
    for (auto it = timeline.known.cbegin(); it != timeline.known.cend(); ++it)
        data.known.append({it.key(), it.value()});
    data.due = timeline.due;
}

void ProgressFigures::describe(ProgressData& data)
{
    const QDate today = data.days.isEmpty() ? QDate() : data.days.last().day;
    data.texts = {lengthsText(data.lengths), knownText(data), dueText(data, today),
                  daysText(data.days)};
    data.dayLabels =
        labels(data.days.isEmpty() ? today : data.days.first().day, data.days.size(), 7, "d MMM");
    QStringList due;
    for (qsizetype i = 0; i < data.due.size(); ++i)
        due.append(i == 0       ? QStringLiteral("Today")
                   : i % 4 == 0 ? date(today.addDays(i), "ddd d")
                                : QString(int(i), QLatin1Char(' ')));
    data.dueLabels = due;
}
