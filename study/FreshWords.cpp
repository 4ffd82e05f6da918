#include "study/FreshWords.h"

#include <algorithm>

FreshWords::FreshWords(const QStringList* list, std::vector<qsizetype> graded)
    : list_(list), skipped_(std::move(graded))
{
    if (!std::is_sorted(skipped_.begin(), skipped_.end()))
        std::sort(skipped_.begin(), skipped_.end());
}

qsizetype FreshWords::size() const
{
    return list_ ? list_->size() - qsizetype(skipped_.size()) : 0;
}

QString FreshWords::takeAt(qsizetype k)
{
    // The k-th position not skipped: every skipped position at or before it moves it on by one.
    qsizetype at = k;
    auto next = skipped_.begin();
    for (; next != skipped_.end() && *next <= at; ++next)
        ++at;
    skipped_.insert(next, at);
    return list_->at(at);
}
