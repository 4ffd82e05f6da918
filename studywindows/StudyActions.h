#pragma once

#include <QString>

#include <functional>
#include <optional>

class QWidget;

// What the main window's study frame reaches: the count of words due, the study drill, the
// progress window and the study settings. The real desk opens the player's history on the first
// call that needs it, never before.
class StudyActions
{
public:
    virtual ~StudyActions() = default;
    // Words due now; nothing when no history can be read.
    virtual std::optional<int> dueNow() = 0;
    // New words still to come today at the day's pace, as of the last dueNow(); nothing when
    // unknown.
    virtual std::optional<int> newToday() { return std::nullopt; }
    // The day's pace of new words in one line, as of the last dueNow(); "" when unknown.
    virtual QString paceLine() { return {}; }
    // Runs a study session and its summary, modal over parent.
    virtual void study(QWidget* parent) = 0;
    virtual void showProgress(QWidget* parent) = 0;
    virtual void editSettings(QWidget* parent) = 0;
    // The word store was opened on this word list at start-up ("" for the bundled one).
    virtual void wordListOpened(const QString& /*name*/) {}
    // The name of the word list in use, as the player sees it.
    virtual QString listInUse() { return {}; }
    // The word-lists window, modal over parent.
    virtual void manageWordLists(QWidget* /*parent*/) {}
    // The Look up window over the list in use, modal over parent. Never records an answer.
    virtual void lookUp(QWidget* /*parent*/) {}
    // Called on the window's thread when the due count changed by itself (work in the
    // background finished); null for none.
    virtual void setDueChanged(std::function<void()> /*changed*/) {}
};
