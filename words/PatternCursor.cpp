#include "words/PatternCursor.h"

#include "words/WordIndex.h"

PatternCursor::PatternCursor(const WordIndex& index, const QString& pattern)
{
    if (pattern.size() < WordIndex::MinLength || pattern.size() > WordIndex::MaxLength)
        return;
    quint32 place = 1;
    for (qsizetype i = pattern.size() - 1; i >= 0; --i, place *= 26) {
        const QChar c = pattern[i];
        if (c == QLatin1Char('?'))
            ++blanks_;
        else if (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            fixed_ += place * quint32(c.unicode() - 'A');
        else
            return;
    }
    // The blanks' places, first blank first, so that filling them in order counts upwards.
    place = 1;
    int blank = blanks_;
    for (qsizetype i = pattern.size() - 1; i >= 0; --i, place *= 26) {
        if (pattern[i] == QLatin1Char('?'))
            blankPlace_[--blank] = place;
    }
    index_ = &index;
    length_ = int(pattern.size());
    end_ = 1;
    for (int i = 0; i < blanks_; ++i)
        end_ *= 26;
}

quint32 PatternCursor::codeFor(quint32 ways) const
{
    quint32 code = fixed_;
    for (int blank = blanks_ - 1; blank >= 0; --blank, ways /= 26)
        code += blankPlace_[blank] * (ways % 26);
    return code;
}

QStringList PatternCursor::fetch(int count)
{
    QStringList words;
    while (next_ < end_ && words.size() < count) {
        const quint32 code = codeFor(next_++);
        if (index_->has(length_, code))
            words.append(WordIndex::decode(code, length_));
    }
    return words;
}

int PatternCursor::total() const
{
    if (!index_)
        return 0;
    if (blanks_ == length_)
        return index_->count(length_);
    int found = 0;
    for (quint32 ways = 0; ways < end_; ++ways)
        found += index_->has(length_, codeFor(ways)) ? 1 : 0;
    return found;
}
