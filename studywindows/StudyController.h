#pragma once

#include "base/Settings.h"
#include "progress/ProgressView.h"
#include "quiz/TrainerContext.h"
#include "study/History.h"
#include "study/StudyEngine.h"
#include "study/WordListChoice.h"
#include "studywindows/StudyActions.h"

#include <QHash>
#include <QObject>

#include <functional>
#include <future>
#include <memory>

// Loads the progress window's module (Qt Charts and all) the first time the window opens. Tried
// once; when it will not load, the player is told and the program goes on.
class ProgressModule
{
public:
    static QString moduleFileName();
    explicit ProgressModule(QString programFolder);
    ~ProgressModule();
    // Starts loading the module on another thread, so that the figures can be worked out
    // meanwhile; nothing once it has been tried.
    void startLoading();
    // A new view, or null with errorString() set.
    std::unique_ptr<ProgressView> create(ProgressActions* actions, QWidget* parent);
    QString errorString() const { return error_; }

private:
    struct Loaded
    {
        ProgressViewFactory factory = nullptr;
        QString error;
    };
    QString modulePath_;
    std::future<Loaded> loading_; // valid until taken up by create()
    bool tried_ = false;
    ProgressViewFactory factory_ = nullptr;
    QString error_;
};

// The real study desk: the player's history, the study drill, the summary, the progress window
// and the settings. The history is opened on the first call that needs it.
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
    void study(QWidget* parent) override;
    void showProgress(QWidget* parent) override;
    void editSettings(QWidget* parent) override;
    void wordListOpened(const QString& name) override;
    QString listInUse() override;
    void manageWordLists(QWidget* parent) override;
    void setDueChanged(std::function<void()> changed) override;

    void saveWordList(QWidget* parent, const QStringList& words) override;
    bool forgetAll(QWidget* parent) override;
    ProgressData data() override;

    // Asks a yes/no question; by default a message box. Tests script it.
    std::function<bool(QWidget* parent, const QString& text)> confirm;
    // Asks for a file to save to ("" to cancel); by default a file dialog.
    std::function<QString(QWidget* parent)> askSavePath;
    // Asks for a word list to import ("" to cancel); by default a file dialog.
    std::function<QString(QWidget* parent)> askListPath;
    // The pause after each answer, from the setting "StudyPauseMs" unless set.
    std::optional<int> pauseMs;

    // Writes the words to path, one a line with its meaning after a blank where it has one, with
    // LF line ends, then the non-words as comment lines ("# " before each): a list the import
    // reads back whole. False when it could not.
    static bool writeWordList(const QString& path, const QStringList& words,
                              const QStringList& nonWords = {},
                              const QHash<QString, QString>& meanings = {});

private:
    StudySettings settings() const;
    // The history file takes the answers (those on their way to it included), so a next review
    // can be promised. Never waits for the disk.
    bool allSaved() const;
    void backgroundDone();

    TrainerContext& context_;
    History& history_;
    const WallClock& clock_;
    ProgressModule progress_;
    std::optional<int> newToday_;
    WordListChoice lists_;
    bool inSession_ = false;
    std::function<void()> dueChanged_;
};
