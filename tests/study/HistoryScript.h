#pragma once

// The scripted answers the history tests share.

#include "HistoryFill.h"
#include "study/HistoryDb.h"

#include <QStringList>

// Answer n of a scripted sequence: choose-the-valid on 2-letter words, every third one wrong
// (taking the non-word "QX" for a word), one day apart every fifth answer.
inline AnswerRecord answer(int n)
{
    AnswerRecord a;
    a.at = QDateTime(QDate(2026, 3, 2), QTime(9, 0), Qt::UTC)
               .addSecs(qint64(n) * 10 + qint64(n / 5) * 86400);
    a.testKind = QStringLiteral("Form2");
    a.validKind = n % 4 != 3;
    a.length = 2;
    const QStringList words{QStringLiteral("AA"), QStringLiteral("AB"), QStringLiteral("AD"),
                            QStringLiteral("AE")};
    a.candidates = a.validKind ? QStringList{words[n % 4], QStringLiteral("QX"),
                                             QStringLiteral("ZQ"), QStringLiteral("XZ")}
                               : QStringList{QStringLiteral("QX"), words[0], words[1], words[2]};
    a.rightIndex = 0;
    a.chosenIndex = n % 3 == 2 ? 1 : 0;
    return a;
}

inline QList<AnswerRecord> answers(int count)
{
    QList<AnswerRecord> list;
    for (int n = 0; n < count; ++n)
        list.append(answer(n));
    return list;
}

// The states a history kept in memory reaches with answers 0 to count - 1, less one of them.
inline QStringList expectedStates(int count, int without = -1)
{
    QList<AnswerRecord> given = answers(count);
    if (without >= 0)
        given.removeAt(without);
    return memoryStates(given);
}

// One number read straight from the file.
inline int countIn(const QString& path, const QString& query)
{
    HistoryDb db(path);
    db.open();
    return db.scalar(query).toInt();
}

inline const QString TamperAA =
    QStringLiteral("UPDATE word_state SET reviews = 99 WHERE word = 'AA'");
