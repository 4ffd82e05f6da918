#include "quiz/AnswerKeys.h"

#include <QKeyEvent>

int answerKeyNumber(const QKeyEvent* event)
{
    if (event->isAutoRepeat())
        return 0;
    const Qt::KeyboardModifiers other =
        event->modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier);
    if (other != Qt::NoModifier)
        return 0;
    const int key = event->key();
    return key >= Qt::Key_1 && key <= Qt::Key_4 ? key - Qt::Key_0 : 0;
}
