#include "quiz/ResultsWindow.h"

#include "base/Branding.h"
#include "base/ErrorReporting.h"
#include "base/Numbers.h"
#include "base/ProgramFiles.h"
#include "base/look/DesignUnits.h"
#include "base/look/HandCursor.h"
#include "base/look/ProgramIcon.h"
#include "base/look/PushButton.h"
#include "base/look/WindowLook.h"

#include <QGroupBox>
#include <QLabel>
#include <QListWidget>

#include <cmath>
#include <optional>

QString ResultsPercentageText(qint16 correctCount, const QString& countText, const QLocale& locale)
{
    const qint16 n = Numbers::toInt16(countText, locale);
    const double percentage = double(correctCount) / double(n) * 100.0;
    // Only 0 / 0 can get here (no question is asked when N is 0), and that division is an
    // invalid operation, reported as "Overflow". Anything else that is not a number is treated
    // the same way rather than written out as "nan" or "inf".
    if (!std::isfinite(percentage))
        throw AppError::overflow();
    return Numbers::format(Numbers::roundHalfEven(percentage, 2), locale);
}

namespace {

QLabel* makeLabel(QWidget* parent, const char* name, const QString& caption, int top)
{
    auto* label = new QLabel(caption, parent);
    label->setObjectName(QLatin1String(name));
    label->setTextFormat(Qt::PlainText);
    label->setGeometry(Twips::rect(240, top, 7320, 300));
    return label;
}

QListWidget* makeList(QGroupBox* frame, const char* name)
{
    auto* list = new QListWidget(frame);
    list->setObjectName(QLatin1String(name));
    list->setAccessibleName(frame->title());
    list->setSortingEnabled(false);
    list->setGeometry(Twips::rect(240, 300, 3375, 3435));
    return list;
}

} // namespace

ResultsWindow::ResultsWindow(TrainerContext& context, const QString& countText, QWidget* parent)
    : QuizDialog(QStringLiteral("Form4"), 6390, parent), context_(context)
{
    auto* summary = new QGroupBox(QStringLiteral("Summary Result"), this);
    summary->setObjectName(QStringLiteral("Frame1"));
    summary->setGeometry(Twips::rect(120, 120, 7800, 1575));
    correctLabel_ = makeLabel(summary, "lblCorrect", QStringLiteral("Number of Correct:"), 360);
    wrongLabel_ = makeLabel(summary, "lblWrong", QStringLiteral("Number of Wrong:"), 720);
    percentageLabel_ = makeLabel(summary, "lblPercentage", QStringLiteral("Percentage:"), 1080);

    auto* correct = new QGroupBox(QStringLiteral("Correct Words"), this);
    correct->setObjectName(QStringLiteral("Frame2"));
    correct->setGeometry(Twips::rect(120, 1770, 3840, 3975));
    correctList_ = makeList(correct, "List1");

    auto* wrong = new QGroupBox(QStringLiteral("Wrong Words"), this);
    wrong->setObjectName(QStringLiteral("Frame3"));
    wrong->setGeometry(Twips::rect(4080, 1770, 3840, 3975));
    wrongList_ = makeList(wrong, "List2");

    auto* close = new PushButton(QStringLiteral("Close Window"), this);
    close->setObjectName(QStringLiteral("PushButton1"));
    close->setGeometry(Twips::rect(120, 5870, 7800, 405));
    connect(close, &QPushButton::clicked, this, &ResultsWindow::closeClicked);

    formLoad(countText);
}

void ResultsWindow::formLoad(const QString& countText)
{
    Environment& env = context_.env;
    Procedure p(env.errors, QStringLiteral("Form4"), QStringLiteral("Form_Load"));
    p.line(100, [&] { SetSystemBackColors(this); });
    p.line(102, [&] {
        setWindowTitle(Branding::ProductName);
        setWindowIcon(ProgramIcon());
    });
    const QString cursorPath = env.path(QStringLiteral("HAND-M.CUR"));
    if (p.test(104, [&] { return FileExists(cursorPath); })) {
        p.line(106, [&] { ApplyHandPointer(this, LoadHandCursor(cursorPath)); });
    }
    // One statement: a failure anywhere in it leaves the rest of the window as it stands.
    p.line(108, [&] { fill(countText); });
}

void ResultsWindow::fill(const QString& countText)
{
    const TestRunState& state = context_.state;
    correctLabel_->setText(QStringLiteral("Number of Correct: ") +
                           QString::number(state.correctCount));
    wrongLabel_->setText(QStringLiteral("Number of Wrong: ") + QString::number(state.wrongCount));
    percentageLabel_->setText(QStringLiteral("Percentage: ") +
                              ResultsPercentageText(state.correctCount, countText) +
                              QStringLiteral("%"));
    for (const QString& word : state.correctWords)
        correctList_->addItem(word);
    for (const QString& word : state.wrongWords)
        wrongList_->addItem(word);
}

void ResultsWindow::closeClicked()
{
    Procedure p(context_.env.errors, QStringLiteral("Form4"), QStringLiteral("PushButton1_Click"));
    p.line(100, [&] { accept(); });
}
