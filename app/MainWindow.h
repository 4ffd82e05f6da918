#pragma once

#include "app/QuestionCountBox.h"
#include "app/StoreConnection.h"
#include "base/Environment.h"
#include "quiz/QuestionForm.h"
#include "quiz/TestDriver.h"
#include "quiz/TrainerContext.h"
#include "studywindows/StudyActions.h"

#include <QCursor>
#include <QFontMetrics>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class QGroupBox;
class PushButton;
class StudyFrame;

// Opens the maker's home page at about one start in a hundred: draws k from 1 to 100 and opens the
// page when k is 7, without waiting. Throws when the desktop cannot open it.
void OpenHomePageAtRandom(Environment& env);

// The main window "Form1": the six test buttons, the question-count box, "Help", and below them the
// study frame (StudyFrame: the daily drill, Progress, Settings, Word lists..., Study help, the list
// in use; F1 opens the study's help). Its load() is the program's start-up;
// closing it closes the word database and ends the program. The due count is asked for just after
// the window first shows, and again after every test run and study session, so start-up never
// waits for the player's history.
class MainWindow : public QWidget
{
    Q_OBJECT
public:
    enum class StartUp
    {
        Show,
        Quit
    };

    // connection defaults to the context's word store.
    // study: the study frame's desk; without one its buttons do nothing.
    explicit MainWindow(TrainerContext& context, StoreConnection* connection = nullptr,
                        StudyActions* study = nullptr, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Form_Load. Quit when the word database is missing: the caller ends the program without
    // showing anything.
    StartUp load();

    // What Form_Unload does to end the program. By default: hide every window of the program and
    // leave every event loop, the outermost with exit code 0.
    void setProgramEnder(std::function<void()> ender) { endProgram_ = std::move(ender); }
    static void endProgram();

    QuestionCountBox* countBox() const { return countBox_; }
    // Asks the study for the counts and the list in use, and shows them in the study frame.
    void refreshDueCount();

    const std::optional<QCursor>& handCursor() const { return hand_; }

    static inline const QString HelpText = QStringLiteral(
        "This software will help you memorize some of those short Lexitor words that are "
        "necessary to win.\r\rNote: You can use tab and space to select an answer instead of the "
        "mouse. It might be a little easier/quicker.");

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void buildControls();
    void buildTestFrames();
    void addTestButtons(QGroupBox* frame, TestKind kind);
    void buildCountFrame();
    void setTabOrderByName();
    QGroupBox* addFrame(const char* name, const QString& caption, const QRect& geometry);
    void runTest(const QString& handler, TestKind kind, int length);
    void runStudy();
    // Opens the chosen word list, or the bundled one at that path.
    void openWordList(const QString& bundled);
    void showHelp();    // PushButton3_Click
    void queryUnload(); // Form_QueryUnload

    TrainerContext& context_;
    Environment& env_;
    std::unique_ptr<StoreConnection> ownConnection_;
    StoreConnection& connection_;
    TestDriver driver_;
    std::function<void()> endProgram_ = &MainWindow::endProgram;
    std::optional<QCursor> hand_;
    bool closing_ = false;
    bool shownOnce_ = false;
    bool counting_ = false; // the first count was asked for: later changes are shown as they come
    StudyActions* study_ = nullptr;

    QuestionCountBox* countBox_ = nullptr;
    StudyFrame* studyFrame_ = nullptr;
};
