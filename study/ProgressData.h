#pragma once

#include <QDate>
#include <QList>
#include <QLocale>
#include <QString>
#include <QStringList>

// The progress window's figures as plain data: worked out from the history here, drawn by the
// window's module (lexitor-progress), which sees only this and its own interfaces.
struct ProgressData
{
    // Every count the window shows, in one format: the locale's, with its group separators.
    static QString number(qint64 n) { return QLocale().toString(n); }

    struct Length
    {
        int length = 0;
        int newWords = 0;
        int learning = 0;
        int known = 0;
    };
    struct Day
    {
        QDate day;
        int answers = 0;
        int right = 0;
    };
    struct Missed
    {
        QString word;
        int misses = 0;
        bool valid = true;
        QString meaning; // "" when the list gives none
    };
    struct Known
    {
        int length = 0;
        QList<int> counts; // one a day, from knownFrom to today
    };
    // What each chart shows, in one line of words: written under it and read by screen readers.
    struct Texts
    {
        QString lengths;
        QString known;
        QString due;
        QString days;
    };
    QList<Length> lengths;
    QList<Day> days;      // oldest first
    QList<Missed> missed; // the words most missed first, then the non-words
    QDate knownFrom;      // the day of the first answer
    QList<Known> known;
    QList<int> due;        // words due on each of the coming days, today first
    QStringList dueLabels; // one a day, blank ones distinct
    QStringList dayLabels; // under the days' bars, the same way
    Texts texts;
};
