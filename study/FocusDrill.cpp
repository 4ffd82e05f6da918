#include "study/FocusDrill.h"

#include <QSet>

FocusDrill::FocusDrill(const QStringList& words)
{
    QSet<QString> seen;
    for (const QString& word : words)
        if (!seen.contains(word)) {
            seen.insert(word);
            left_.append(word);
        }
}

QStringList FocusDrill::take()
{
    if (left_.isEmpty())
        return {};
    const qsizetype length = left_.first().size();
    QList<qsizetype> at;
    for (qsizetype i = 0; i < left_.size() && at.size() < 3; ++i)
        if (left_.at(i).size() == length)
            at.append(i);
    if (at.size() < 3)
        at = {0};
    QStringList words;
    for (qsizetype i : at)
        words.append(left_.at(i));
    for (auto i = at.size(); i-- > 0;)
        left_.removeAt(at.at(i));
    return words;
}
