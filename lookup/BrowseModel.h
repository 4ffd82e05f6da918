#pragma once

#include "study/StudyState.h"

#include <QAbstractTableModel>
#include <QDateTime>
#include <QHash>
#include <QStringList>

#include <memory>
#include <vector>

class WordIndex;
class WordStateView;
class WordStore;

// The words of one length of a list as table rows: the word, how its study stands, its meaning
// and its next review. The rows are read once (load); a filter or a search only picks which of
// them show. Meanings come from the look-up index once it is read (setIndex); until then they are
// read from the store as the view shows their rows, and kept.
class BrowseModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column
    {
        WordColumn,
        StateColumn,
        MeaningColumn,
        ReviewColumn,
        ColumnCount
    };
    enum class Filter
    {
        All,
        New,
        Learning,
        Known,
        MissedLast
    };

    explicit BrowseModel(const WordStore* store, QObject* parent = nullptr);

    // Starts over with these words; states null when the history isn't open (states unknown).
    void load(const QStringList& words, const WordStateView* states, const QDateTime& now);
    // Takes the meanings from the index from now on (null: from the store).
    void setIndex(std::shared_ptr<const WordIndex> index);
    void setFilter(Filter filter);
    // Letters the word holds ("AX"), or with '?' for any letter a pattern of the whole word
    // ("A?E"); case and spaces around it don't matter. Empty shows every word.
    void setSearch(const QString& search);

    // The words the rows show, in their order.
    QStringList shownWords() const;
    int total() const { return int(rows_.size()); }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // True when the word fits the search as setSearch reads it (already trimmed, upper case).
    static bool fits(const QString& word, const QString& search);

private:
    struct Row
    {
        QString word;
        StudyState state = StudyState::New;
        bool missedLast = false;
        QDateTime due;
    };

    bool passes(const Row& row) const;
    void refilter();
    QString meaningOf(const QString& word) const;

    const WordStore* store_;
    std::shared_ptr<const WordIndex> index_;
    std::vector<Row> rows_;
    std::vector<int> shown_; // indexes into rows_
    bool statesKnown_ = false;
    QDateTime now_;
    Filter filter_ = Filter::All;
    QString search_;
    mutable QHash<QString, QString> meanings_;
};
