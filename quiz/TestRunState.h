#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

// What the windows of one test run tell each other. The driver resets it at the start of a run,
// the question windows write it, the results window reads it. One copy per program.
struct TestRunState
{
    qint16 CorrectCount = 0;
    qint16 WrongCount = 0;
    bool AnswerPending = false;
    QStringList WrongWords;   // clicked captions of wrong answers, in answer order
    QStringList CorrectWords; // clicked captions of right answers, in answer order
    QString StatusText;
    QString CorrectAnswer;
    QString StatusColor; // a colour number as decimal text: "0", "25600", "255"

    static inline const QString WaitingForAnswer = QStringLiteral("Waiting for answer");
};
