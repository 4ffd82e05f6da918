#pragma once

#include "quiz/QuizDialog.h"
#include "quiz/TrainerContext.h"
#include <QLocale>
#include <QString>

class QKeyEvent;
class QLabel;
class QListWidget;

// The text of the percentage line's number: correctCount / N * 100, N read from countText like
// the driver reads it, rounded to two places (halves to even) and written in the locale. A count
// text that is no 16-bit number throws "Type mismatch" or "Overflow"; 0 / 0 throws "Overflow".
QString ResultsPercentageText(qint16 correctCount, const QString& countText,
                              const QLocale& locale = QLocale());

// Form4, the summary that ends every test run: the two counts, the percentage of right answers
// out of the questions asked for, and the words answered rightly and wrongly. It only reads the
// test-run state. Built (and filled) for one showing; exec() shows it modally.
class ResultsWindow : public QuizDialog
{
    Q_OBJECT
public:
    // countText is the main window's question-count text, read again at the moment of showing.
    ResultsWindow(TrainerContext& context, const QString& countText, QWidget* parent = nullptr);

private:
    void formLoad(const QString& countText);
    void fill(const QString& countText);
    void closeClicked(); // PushButton1_Click

    TrainerContext& context_;
    QLabel* correctLabel_ = nullptr;
    QLabel* wrongLabel_ = nullptr;
    QLabel* percentageLabel_ = nullptr;
    QListWidget* correctList_ = nullptr; // List1
    QListWidget* wrongList_ = nullptr;   // List2
};
