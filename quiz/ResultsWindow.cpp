#include "ResultsWindow.h"

#include "Branding.h"
#include "DesignUnits.h"
#include "ErrorReporting.h"
#include "HandCursor.h"
#include "Numbers.h"
#include "ProgramFiles.h"
#include "ProgramIcon.h"
#include "PushButton.h"
#include "WindowLook.h"

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

ResultsWindow::ResultsWindow(Session& session, const QString& countText, QWidget* parent)
    : QuizDialog(QStringLiteral("Form4"), 6390, parent), session_(session)
{

    frame1_ = new QGroupBox(QStringLiteral("Summary Result"), this);
    frame1_->setObjectName(QStringLiteral("Frame1"));
    frame1_->setGeometry(Twips::rect(120, 120, 7800, 1575));
    lblCorrect_ = makeLabel(frame1_, "lblCorrect", QStringLiteral("Number of Correct:"), 360);
    lblWrong_ = makeLabel(frame1_, "lblWrong", QStringLiteral("Number of Wrong:"), 720);
    lblPercentage_ = makeLabel(frame1_, "lblPercentage", QStringLiteral("Percentage:"), 1080);

    frame2_ = new QGroupBox(QStringLiteral("Correct Words"), this);
    frame2_->setObjectName(QStringLiteral("Frame2"));
    frame2_->setGeometry(Twips::rect(120, 1770, 3840, 3975));
    list1_ = makeList(frame2_, "List1");

    frame3_ = new QGroupBox(QStringLiteral("Wrong Words"), this);
    frame3_->setObjectName(QStringLiteral("Frame3"));
    frame3_->setGeometry(Twips::rect(4080, 1770, 3840, 3975));
    list2_ = makeList(frame3_, "List2");

    pushButton1_ = new PushButton(QStringLiteral("Close Window"), this);
    pushButton1_->setObjectName(QStringLiteral("PushButton1"));
    pushButton1_->setGeometry(Twips::rect(120, 5870, 7800, 405));
    connect(pushButton1_, &QPushButton::clicked, this, &ResultsWindow::pushButton1Click);

    formLoad(countText);
}

void ResultsWindow::formLoad(const QString& countText)
{
    Environment& env = session_.env;
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
    const TestRunState& state = session_.state;
    lblCorrect_->setText(QStringLiteral("Number of Correct: ") +
                         QString::number(state.correctCount));
    lblWrong_->setText(QStringLiteral("Number of Wrong: ") + QString::number(state.wrongCount));
    lblPercentage_->setText(QStringLiteral("Percentage: ") +
                            ResultsPercentageText(state.correctCount, countText) +
                            QStringLiteral("%"));
    for (const QString& word : state.correctWords)
        list1_->addItem(word);
    for (const QString& word : state.wrongWords)
        list2_->addItem(word);
}

void ResultsWindow::pushButton1Click()
{
    Procedure p(session_.env.errors, QStringLiteral("Form4"), QStringLiteral("PushButton1_Click"));
    p.line(100, [&] { accept(); });
}
