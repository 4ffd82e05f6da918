#pragma once

#include "words/PatternCursor.h"

#include <QAbstractListModel>
#include <QStringList>

#include <memory>

class WordIndex;

// The words of a list that fit a pattern, as rows of plain text for a list view. Rows are made
// as the view asks for them (canFetchMore/fetchMore), a page at a time, so a pattern that fits
// tens of thousands of words costs no more than the rows on screen.
class MatchModel : public QAbstractListModel
{
    Q_OBJECT
public:
    static constexpr int PageSize = 200;

    // index: null until the list is read (no words fit then).
    explicit MatchModel(std::shared_ptr<const WordIndex> index, QObject* parent = nullptr);

    // The list has been read: the pattern is fitted again over its words.
    void setIndex(std::shared_ptr<const WordIndex> index);

    // Starts over with the words that fit the pattern (A-Z and '?'); none for anything else.
    void setPattern(const QString& pattern);
    const QString& pattern() const { return pattern_; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

private:
    std::shared_ptr<const WordIndex> index_;
    QString pattern_;
    PatternCursor cursor_;
    QStringList rows_;
};
