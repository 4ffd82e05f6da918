#pragma once

#include <QGroupBox>
#include <QString>

#include <functional>
#include <optional>

class Environment;
class PushButton;
class QLabel;
class StudyActions;

// The main window's study frame, under the written tests: the daily drill's button with the
// words due and the new words to come today, Look up..., Progress, Settings, Word lists..., the
// study's own help page, and the name of the word list in use.
class StudyFrame : public QGroupBox
{
    Q_OBJECT
public:
    // Its height in twips: the window grows by what it adds to the frame the main window had.
    static constexpr int HeightTwips = 2070;

    static inline const QString HelpTitle = QStringLiteral("Study help");
    static inline const QString HelpText = QStringLiteral(
        "Daily drill asks the words due for review, then brings in new words at the day's pace "
        "(Settings). Every answer is remembered, and a word comes back just before you would "
        "forget it.\r\r"
        "Keys: 1 to 4 choose an answer; after an answer, any key goes on. Ctrl+Z (or Backspace) "
        "takes the last answer back. Escape ends the session and shows its summary, where Keep "
        "practising goes on past the day's work.\r\r"
        "Look up... (Ctrl+L) tells whether a word is in the list in use, with its meaning, hooks, "
        "anagrams and how your study of it stands; ? stands for a blank tile (A?E, or AE? for "
        "the anagrams of A, E and one letter more).\r\r"
        "Progress shows what you know, what is due and what you miss most. Word lists... imports "
        "your own lists (a word a line, its meaning after it) and chooses the one you study; "
        "each list keeps its own progress.\r\r"
        "The six buttons above are the written tests: a round of questions, scored at the end. "
        "Their answers count in your progress too.\r\r"
        "F1 opens this page.");

    // study may be null: the buttons then do nothing but the help.
    StudyFrame(Environment& env, StudyActions* study, QWidget* parent);

    // Asks the study for the counts and the list in use, and shows them.
    void refresh();
    // "Daily drill (N due, M new)"; without a count, "Daily drill".
    static QString studyCaption(std::optional<int> due, std::optional<int> fresh);
    // The word list in use, as the frame names it.
    static QString listCaption(const QString& name);
    void showHelp();
    // The Look up window, over the list in use (Look up..., Ctrl+L).
    void lookUp();

signals:
    // The drill button: the main window runs the session.
    void studyRequested();

private:
    // The button runs the action, if there is a study, then refreshes the frame.
    void connectAction(PushButton* button, std::function<void(StudyActions&, QWidget*)> action);

    Environment& env_;
    StudyActions* study_;
    PushButton* studyButton_ = nullptr;
    QLabel* list_ = nullptr;
    QLabel* pace_ = nullptr; // the day's pace of new words
};
