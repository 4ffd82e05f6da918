#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

#include <vector>

// Each word of the studied lists with its place in its length's list, found without hashing the
// string: a word of two to four letters A-Z is its own index into one table, so a look-up reads
// one slot (the study pools look up every graded word each time they are read). Anything else,
// which only a list built by other means could hold, is kept in a hash.
class WordPlaces
{
public:
    WordPlaces() = default;
    explicit WordPlaces(const QHash<int, QStringList>& lists);

    // The word's place in its length's list; -1 when it is no word of the lists.
    qsizetype placeOf(const QString& word) const;
    bool contains(const QString& word) const { return placeOf(word) >= 0; }
    qsizetype size() const { return size_; }

private:
    // The word's slot in the table; -1 when it is not two to four letters A-Z.
    static qsizetype slotOf(const QString& word);

    std::vector<qint32> table_; // the place in its list, or -1, by slotOf()
    QHash<QString, qsizetype> others_;
    qsizetype size_ = 0;
};
