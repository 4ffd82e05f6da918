#pragma once

#include <QString>
#include <QStringList>

#include <vector>

// The words of a list never graded, in the list's order, without copying the list: a question
// asks for a new word or three among tens of thousands, so only the positions of the graded words
// are kept, and taking the k-th fresh word costs a walk over them.
class FreshWords
{
public:
    FreshWords() = default;
    // graded: positions in list of the words that are not fresh, in any order, each once.
    FreshWords(const QStringList* list, std::vector<qsizetype> graded);

    qsizetype size() const;
    bool isEmpty() const { return size() == 0; }
    // Removes and returns the k-th fresh word (0 <= k < size()).
    QString takeAt(qsizetype k);

private:
    const QStringList* list_ = nullptr;
    std::vector<qsizetype> skipped_; // ascending
};
