#include "WordList.h"

#include "WordSchema.h"

#include <QHash>

#include <algorithm>

WordList WordList::parse(const QByteArray& text)
{
    WordList list;
    QHash<QString, int> firstLines;
    QString all = QString::fromUtf8(text);
    if (all.startsWith(QChar(0xFEFF)))
        all.remove(0, 1);

    const QStringList lines = all.split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const int lineNumber = int(i) + 1;
        const QString line = lines[i].trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;

        const bool letters = std::all_of(line.begin(), line.end(), [](QChar c) {
            return (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ||
                   (c >= QLatin1Char('a') && c <= QLatin1Char('z'));
        });
        if (!letters) {
            list.rejections_.append({lineNumber, line, Reason::NotLetters, 0});
            continue;
        }
        if (!WordSchema::isWordLength(int(line.size()))) {
            list.rejections_.append({lineNumber, line, Reason::WrongLength, 0});
            continue;
        }
        const QString word = line.toUpper();
        const auto seen = firstLines.constFind(word);
        if (seen != firstLines.cend()) {
            list.rejections_.append({lineNumber, line, Reason::Duplicate, seen.value()});
            continue;
        }
        firstLines.insert(word, lineNumber);
        list.words_.append(word);
        ++list.counts_[std::size_t(word.size())];
    }
    return list;
}

QString WordList::describe(Reason reason)
{
    switch (reason) {
    case Reason::NotLetters:
        return QStringLiteral("not letters A-Z");
    case Reason::WrongLength:
        return QStringLiteral("wrong length");
    case Reason::Duplicate:
        return QStringLiteral("duplicate");
    }
    return QString();
}

int WordList::count(int length) const
{
    return WordSchema::isWordLength(length) ? counts_[std::size_t(length)] : 0;
}
