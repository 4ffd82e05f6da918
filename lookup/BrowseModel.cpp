#include "lookup/BrowseModel.h"

#include "lookup/LookupFacts.h"
#include "study/WordStateView.h"
#include "words/Meanings.h"
#include "words/WordIndex.h"

#include <utility>

BrowseModel::BrowseModel(const WordStore* store, QObject* parent)
    : QAbstractTableModel(parent), store_(store)
{}

void BrowseModel::load(const QStringList& words, const WordStateView* states, const QDateTime& now)
{
    beginResetModel();
    rows_.clear();
    rows_.reserve(size_t(words.size()));
    statesKnown_ = states != nullptr;
    now_ = now;
    for (const QString& word : words) {
        Row row;
        row.word = word;
        if (states) {
            const WordMemory* memory = states->find(word);
            row.state = studyStateOf(memory, states->policy());
            if (memory && !memory->isNew()) {
                row.missedLast = memory->missedLast;
                row.due = memory->due;
            }
        }
        rows_.push_back(std::move(row));
    }
    meanings_.clear();
    refilter();
    endResetModel();
}

void BrowseModel::setFilter(Filter filter)
{
    beginResetModel();
    filter_ = filter;
    refilter();
    endResetModel();
}

void BrowseModel::setSearch(const QString& search)
{
    beginResetModel();
    search_ = search.trimmed().toUpper();
    refilter();
    endResetModel();
}

bool BrowseModel::fits(const QString& word, const QString& search)
{
    if (!search.contains(QLatin1Char('?')))
        return word.contains(search);
    if (word.size() != search.size())
        return false;
    for (qsizetype i = 0; i < word.size(); ++i) {
        if (search[i] != QLatin1Char('?') && search[i] != word[i])
            return false;
    }
    return true;
}

bool BrowseModel::passes(const Row& row) const
{
    switch (filter_) {
    case Filter::All:
        return true;
    case Filter::New:
        return statesKnown_ && row.state == StudyState::New;
    case Filter::Learning:
        return statesKnown_ && row.state == StudyState::Learning;
    case Filter::Known:
        return statesKnown_ && row.state == StudyState::Known;
    case Filter::MissedLast:
        return statesKnown_ && row.missedLast;
    }
    return false;
}

void BrowseModel::refilter()
{
    shown_.clear();
    for (int i = 0; i < int(rows_.size()); ++i) {
        const Row& row = rows_[size_t(i)];
        if (passes(row) && (search_.isEmpty() || fits(row.word, search_)))
            shown_.push_back(i);
    }
}

QStringList BrowseModel::shownWords() const
{
    QStringList words;
    words.reserve(qsizetype(shown_.size()));
    for (int i : shown_)
        words.append(rows_[size_t(i)].word);
    return words;
}

int BrowseModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(shown_.size());
}

int BrowseModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

void BrowseModel::setIndex(std::shared_ptr<const WordIndex> index)
{
    index_ = std::move(index);
    if (!shown_.empty())
        emit dataChanged(this->index(0, MeaningColumn),
                         this->index(int(shown_.size()) - 1, MeaningColumn));
}

QString BrowseModel::meaningOf(const QString& word) const
{
    if (index_)
        return index_->meaning(word);
    if (!store_)
        return QString();
    auto it = meanings_.constFind(word);
    if (it == meanings_.constEnd())
        it = meanings_.insert(word, Meanings::of(*store_, word));
    return *it;
}

QVariant BrowseModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= int(shown_.size()) ||
        (role != Qt::DisplayRole && role != Qt::AccessibleTextRole))
        return QVariant();
    const Row& row = rows_[size_t(shown_[size_t(index.row())])];
    switch (index.column()) {
    case WordColumn:
        return row.word;
    case StateColumn:
        return statesKnown_ ? studyStateName(row.state) : QStringLiteral("unknown");
    case MeaningColumn:
        return meaningOf(row.word);
    case ReviewColumn:
        return row.due.isValid() ? LookupFacts::reviewText(row.due, now_) : QString();
    }
    return QVariant();
}

QVariant BrowseModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case WordColumn:
        return QStringLiteral("Word");
    case StateColumn:
        return QStringLiteral("State");
    case MeaningColumn:
        return QStringLiteral("Meaning");
    case ReviewColumn:
        return QStringLiteral("Next review");
    }
    return QVariant();
}
