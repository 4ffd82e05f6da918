#pragma once

#include <QDialog>

class QLabel;

// The frame shared by the quiz's modal windows: a client area 8040 twips wide and of the given
// height, fixed; the window font; a title bar with only a close box; centred on the screen.
// Escape does nothing: a question is left unanswered only through the close box, and the results
// close by their button or the close box.
class QuizDialog : public QDialog
{
    Q_OBJECT
protected:
    QuizDialog(const QString& name, int clientHeightTwips, QWidget* parent);
    // The question windows' frame "Frame2", "Last Question Status", under the answer frame, and
    // the one line in it, named labelName, that tells how the last answer went. The line's
    // accessible name is the frame's title.
    QLabel* addStatusFrame(const QString& labelName);
    void keyPressEvent(QKeyEvent* event) override;
};
