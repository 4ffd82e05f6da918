#pragma once

#include <QStringList>

// The words a player chose to drill now (Browse's Study these), each to be asked once, in the
// order given: three of a length at a time, as a choose-the-invalid question reviews three, while
// three of the next word's length are left; else that word alone.
class FocusDrill
{
public:
    // Repeats are asked once.
    explicit FocusDrill(const QStringList& words);

    bool done() const { return left_.isEmpty(); }
    int left() const { return int(left_.size()); }
    // The next words to ask, all of one length: three or one; none once every word was asked.
    QStringList take();

private:
    QStringList left_;
};
