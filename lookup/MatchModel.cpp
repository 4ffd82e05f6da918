#include "lookup/MatchModel.h"

#include "words/WordIndex.h"

MatchModel::MatchModel(std::shared_ptr<const WordIndex> index, QObject* parent)
    : QAbstractListModel(parent), index_(std::move(index))
{}

void MatchModel::setIndex(std::shared_ptr<const WordIndex> index)
{
    index_ = std::move(index);
    setPattern(pattern_);
}

void MatchModel::setPattern(const QString& pattern)
{
    beginResetModel();
    pattern_ = pattern;
    cursor_ = index_ ? index_->matches(pattern) : PatternCursor();
    rows_.clear();
    endResetModel();
}

int MatchModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(rows_.size());
}

QVariant MatchModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rows_.size())
        return {};
    if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole)
        return rows_.at(index.row());
    return {};
}

bool MatchModel::canFetchMore(const QModelIndex& parent) const
{
    return !parent.isValid() && !cursor_.atEnd();
}

void MatchModel::fetchMore(const QModelIndex& parent)
{
    if (parent.isValid() || cursor_.atEnd())
        return;
    const QStringList page = cursor_.fetch(PageSize);
    if (page.isEmpty())
        return;
    beginInsertRows(QModelIndex(), int(rows_.size()), int(rows_.size() + page.size()) - 1);
    rows_ += page;
    endInsertRows();
}
