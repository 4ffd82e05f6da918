#include "study/WordPlaces.h"

namespace {

// The first slot of the words of each length: 26^2 two-letter words, then 26^3, then 26^4.
constexpr qsizetype FirstSlot[] = {0, 0, 0, 26 * 26, 26 * 26 + 26 * 26 * 26};
constexpr qsizetype Slots = FirstSlot[4] + 26 * 26 * 26 * 26;

} // namespace

WordPlaces::WordPlaces(const QHash<int, QStringList>& lists)
{
    for (const QStringList& list : lists)
        for (qsizetype i = 0; i < list.size(); ++i) {
            const qsizetype slot = slotOf(list[i]);
            if (slot < 0) {
                size_ += others_.contains(list[i]) ? 0 : 1;
                others_.insert(list[i], i);
                continue;
            }
            if (table_.empty())
                table_.assign(std::size_t(Slots), -1);
            qint32& place = table_[std::size_t(slot)];
            size_ += place < 0 ? 1 : 0;
            place = qint32(i);
        }
}

qsizetype WordPlaces::placeOf(const QString& word) const
{
    const qsizetype slot = slotOf(word);
    if (slot >= 0)
        return table_.empty() ? -1 : table_[std::size_t(slot)];
    return others_.value(word, -1);
}

qsizetype WordPlaces::slotOf(const QString& word)
{
    const qsizetype length = word.size();
    if (length < 2 || length > 4)
        return -1;
    qsizetype code = 0;
    for (const QChar c : word) {
        const unsigned letter = unsigned(c.unicode()) - u'A';
        if (letter > 25)
            return -1;
        code = code * 26 + qsizetype(letter);
    }
    return FirstSlot[length] + code;
}
