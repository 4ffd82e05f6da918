#pragma once

#include "study/ProgressData.h"

#include <QStringList>

class QDialog;
class QWidget;

// The seam between the program and the progress window, which lives in its own module
// (lexitor-progress) so that Qt Charts loads only when the player opens it. Only plain data and
// these two interfaces cross it.

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
    // Opens the Browse window on the words of the list in use and their states.
    virtual void browse(QWidget* parent) = 0;
};

// The progress window: charts of the shares of new, learning and known words per length, of the
// known words over time, of the words due in the coming days and of the last days' answers, each
// with its figures in words, and the most missed words.
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
