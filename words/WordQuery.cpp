#include "words/WordQuery.h"

#include "words/WordFolding.h"
#include "words/WordIndex.h"

#include <string>

WordQuery WordQuery::read(const QString& typed)
{
    WordQuery query;
    const QString trimmed = typed.trimmed();
    if (trimmed.isEmpty())
        return query;
    QString text;
    for (qsizetype i = 0; i < trimmed.size(); ++i) {
        if (trimmed[i] == QLatin1Char('?')) {
            text += QLatin1Char('?');
            continue;
        }
        // One character at a time, a surrogate pair as one, so that '?' stays between letters.
        const qsizetype n = trimmed[i].isHighSurrogate() && i + 1 < trimmed.size() ? 2 : 1;
        std::string folded;
        if (WordFolding::fold(trimmed.mid(i, n).toStdString(), folded) !=
            WordFolding::Outcome::Folded) {
            query.problem = Problem::NotLetters;
            return query;
        }
        text += QString::fromStdString(folded);
        i += n - 1;
    }
    if (text.size() > WordIndex::MaxLength) {
        query.problem = Problem::TooLong;
        return query;
    }
    query.text = text;
    query.problem = Problem::None;
    return query;
}
