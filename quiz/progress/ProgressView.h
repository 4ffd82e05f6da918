#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

class QDialog;
class QWidget;

// The seam between the program and the progress window, which lives in its own module
// (lexitor-progress) so that Qt Charts loads only when the player opens it. Only plain data and
// these two interfaces cross it.

struct ProgressData
{
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
    QList<Length> lengths;
    QList<Day> days;      // oldest first
    QList<Missed> missed; // most missed first
};

// What the progress window asks of the program.
class ProgressActions
{
public:
    virtual ~ProgressActions() = default;
    // Asks where, and saves the words as a plain word list, one a line; those that are not words
    // of the word list only as comment lines.
    virtual void saveWordList(QWidget* parent, const QStringList& words) = 0;
    // Asks for confirmation, then moves the history aside and starts afresh. True when it did.
    virtual bool forgetAll(QWidget* parent) = 0;
    // The figures as they stand now.
    virtual ProgressData data() = 0;
};

// The progress window: a chart of new, learning and known words per length, a chart of the last
// days' answers and share right, and the most missed words.
class ProgressView
{
public:
    virtual ~ProgressView() = default;
    virtual QDialog* dialog() = 0;
    virtual void setData(const ProgressData& data) = 0;
};

// The module's entry point: a new view over actions (which must outlive it), owned by the caller.
using ProgressViewFactory = ProgressView* (*)(ProgressActions* actions, QWidget* parent);
#define LEXITOR_PROGRESS_FACTORY "lexitorCreateProgressView"
