#pragma once

#include "base/Settings.h"
#include "lookup/LookupWindow.h"
#include "progress/ProgressView.h"
#include "quiz/TrainerContext.h"
#include "study/History.h"
#include "study/StudyEngine.h"
#include "study/WordListChoice.h"
#include "studywindows/ProgressModule.h"
#include "studywindows/StudyActions.h"

#include <exception>
#include <functional>
#include <memory>

class StudySession;
class WordIndexLoader;

// The real study desk: opens the study drill's windows round after round, the summary, the
// progress window, the word lists and the settings over the player's history, and asks the
// player through the message boxes. The history is opened on the first call that needs it.
class StudyController : public StudyActions, public ProgressActions
{
public:
    StudyController(TrainerContext& context, History& history, const WallClock& clock);
    ~StudyController() override;
    StudyController(const StudyController&) = delete;
    StudyController& operator=(const StudyController&) = delete;

    // Takes up what the history's background work finished before counting, unless a study
    // session is running (its engine takes it up between questions).
    std::optional<int> dueNow() override;
    std::optional<int> newToday() override { return newToday_; }
    QString paceLine() override { return paceLine_; }
    // "10 new words today, for your 50 answers a day (Auto)" under Auto once there is a figure;
    // before that, or with a fixed pace, the pace alone.
    static QString paceText(const StudySettings& settings, const std::optional<PaceFigure>& figure);
    void study(QWidget* parent) override;
    // A drill of these words now (Browse's Study these): each asked once, then the summary.
    void studyThese(QWidget* parent, const QStringList& words);
    void showProgress(QWidget* parent) override;
    void editSettings(QWidget* parent) override;
    void wordListOpened(const QString& name) override;
    QString listInUse() override;
    void manageWordLists(QWidget* parent) override;
    // Over the index of the list in use, read on a thread of its own from the first look-up on
    // and kept until the list changes, and the history's states if it is open (never opened for
    // a look-up).
    void lookUp(QWidget* parent) override;
    void setDueChanged(std::function<void()> changed) override;

    void saveWordList(QWidget* parent, const QStringList& words) override;
    bool forgetAll(QWidget* parent) override;
    ProgressData data() override;
    // Over the same words and states as a look-up.
    void browse(QWidget* parent) override;

    // Asks for a file to save to ("" to cancel); by default a file dialog.
    std::function<QString(QWidget* parent)> askSavePath;
    // Asks for a word list to import ("" to cancel); by default a file dialog.
    std::function<QString(QWidget* parent)> askListPath;
    // Asks for a word list's new name ("" to cancel); by default an input dialog.
    std::function<QString(QWidget* parent, const QString& name)> askListName;
    // Asks for the word list to replace the named list's words with ("" to cancel); by default a
    // file dialog.
    std::function<QString(QWidget* parent, const QString& name)> askReplacementPath;
    // The pause after each answer, from the setting "StudyPauseMs" unless set.
    std::optional<int> pauseMs;

private:
    StudySettings settings() const;
    // The settings a count goes by: under Auto, the day's pace in place of the fixed number.
    StudySettings pacedSettings(StudySettings chosen,
                                const std::optional<PaceFigure>& figure) const;
    // The history file takes the answers (those on their way to it included), so a next review
    // can be promised. Never waits for the disk.
    bool allSaved() const;
    // After a round: its summary, or the question whether to practise when today's work was
    // already done. True when the player keeps practising.
    bool offerPractice(const StudySession& session, const StudyEngine& engine, QWidget* parent);
    // Shows what went wrong, as a warning.
    void tell(const std::exception& e);
    // A sitting: today's work and practice, or with words given, a drill of those alone.
    void drill(QWidget* parent, const std::optional<QStringList>& words);
    void backgroundDone();
    // What Look up and Browse read: the index (made on first use), the store, the states when
    // the history is open, the list's name.
    LookupWindow::Sources lookupSources();

    TrainerContext& context_;
    History& history_;
    const WallClock& clock_;
    ProgressModule progress_;
    std::optional<int> newToday_;
    QString paceLine_;
    WordListChoice lists_;
    bool inSession_ = false;
    std::function<void()> dueChanged_;
    // Reads the index of the list in use; null until a look-up, and again once the list changes.
    std::unique_ptr<WordIndexLoader> index_;
};
