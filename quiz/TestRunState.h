#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

// What the windows of one test run tell each other. The driver resets it at the start of a run,
// the question windows write it, the results window reads it. One copy per program.
struct TestRunState
{
    qint16 correctCount = 0;
    qint16 wrongCount = 0;
    bool answerPending = false;
    QStringList wrongWords;   // clicked captions of wrong answers, in answer order
    QStringList correctWords; // clicked captions of right answers, in answer order
    QString statusText;
    QString correctAnswer;
    QString statusColor; // a colour number as decimal text: "0", "25600", "255"

    static inline const QString WaitingForAnswer = QStringLiteral("Waiting for answer");
};
