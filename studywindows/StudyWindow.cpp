#include "studywindows/StudyWindow.h"

#include "base/Branding.h"
#include "base/WhenText.h"
#include "base/look/DesignUnits.h"
#include "base/look/ProgramIcon.h"
#include "base/look/PushButton.h"
#include "base/look/WindowLook.h"
#include "quiz/AnswerKeys.h"
#include "quiz/QuestionForm.h"
#include "quiz/Sounds.h"
#include "words/Meanings.h"
#include "words/WordList.h"

#include <QAccessible>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QTextDocument>

#include <cmath>

namespace {

const QColor RightColour(0, 128, 0);
const QColor WrongColour(200, 0, 0);

QString percentText(int right, int answered)
{
    if (answered == 0)
        return QStringLiteral("-");
    return QStringLiteral("%1%").arg(qRound(100.0 * right / answered));
}

} // namespace

StudyWindow::StudyWindow(TrainerContext& context, StudySession& session, int pauseMs,
                         QWidget* parent)
    : QuizDialog(QStringLiteral("StudyWindow"), 3900, parent), context_(context), session_(session)
{
    setWindowTitle(Branding::ProductName);
    setWindowIcon(ProgramIcon());
    // Between questions the window itself holds the focus, so that Tab reaches the first button.
    setFocusPolicy(Qt::StrongFocus);
    pause_.setSingleShot(true);
    pause_.setInterval(pauseMs);
    connect(&pause_, &QTimer::timeout, this, &StudyWindow::advance);

    answers_ = new AnswerFrame(QString(), this);
    connect(answers_, &AnswerFrame::chosen, this, &StudyWindow::choose);
    status_ = addStatusFrame(QStringLiteral("Outcome"));
    status_->setAccessibleName(QStringLiteral("Answer the question"));

    line_ = new QLabel(this);
    line_->setObjectName(QStringLiteral("StudyLine"));
    line_->setGeometry(Twips::rect(240, 3480, 7560, 300));
    SetSystemBackColors(this);
}

bool StudyWindow::start()
{
    const std::optional<StudyQuestion> first = session_.next();
    if (!first)
        return false;
    ask(*first);
    if (const QString missing = missingLengthsText(session_.emptyLengths(), session_.fullLengths());
        !missing.isEmpty())
        announce(missing, std::nullopt);
    return true;
}

QString StudyWindow::missingLengthsText(const QList<int>& empty, const QList<int>& full)
{
    const auto names = [](const QList<int>& lengths) {
        QStringList names;
        for (int length : lengths)
            names.append(WordList::lengthName(length));
        return names.join(QStringLiteral(" or "));
    };
    QStringList why;
    if (!empty.isEmpty())
        why.append(QStringLiteral("no %1 words").arg(names(empty)));
    if (!full.isEmpty())
        why.append(QStringLiteral("too few %1 non-words").arg(names(full)));
    return why.isEmpty()
               ? QString()
               : QStringLiteral("The word list in use has ") + why.join(QStringLiteral(" and "));
}

void StudyWindow::ask(const StudyQuestion& question)
{
    outcomeShown_ = false;
    const QuestionForm& form = QuestionForms::find(
        question.validKind ? TestKind::ValidWord : TestKind::InvalidWord, question.length);
    answers_->setTitle(form.question);
    for (int k = 1; k <= 4; ++k) {
        button(k)->setText(QStringLiteral("&%1   %2").arg(k).arg(question.candidates.value(k - 1)));
        paintButton(k, std::nullopt);
    }
    updateLine();
    setFocus(Qt::OtherFocusReason);
}

void StudyWindow::choose(int k)
{
    if (outcomeShown_) {
        advance();
        return;
    }
    if (!session_.question())
        return;
    const StudyQuestion question = *session_.question();
    const StudyOutcome outcome = *session_.answer(k - 1);
    const QString chosen = question.candidates.value(k - 1);

    paintButton(outcome.rightIndex + 1, true);
    if (!outcome.right)
        paintButton(k, false);
    PlaySoundFile(context_.env.sounds,
                  context_.env.path(outcome.right ? QStringLiteral("sounds/correct.wav")
                                                  : QStringLiteral("sounds/wrong.wav")),
                  false);
    const QString fact =
        Meanings::outcomeFact(context_.store, question.validKind, outcome.rightWord, chosen,
                              outcome.right, outcome.leastKnown);
    announce((outcome.right ? QStringLiteral("Right: ") : QStringLiteral("Wrong: ")) + fact,
             outcome.right);
    outcomeShown_ = true;
    updateLine();
    setFocus(Qt::OtherFocusReason); // the next key, whatever it is, goes on
    pause_.start();
}

void StudyWindow::takeBack()
{
    const std::optional<StudyQuestion> again = session_.takeBack();
    if (!again)
        return;
    pause_.stop();
    ask(*again);
    announce(QStringLiteral("Answer taken back"), std::nullopt);
}

void StudyWindow::advance()
{
    pause_.stop();
    outcomeShown_ = false;
    const std::optional<StudyQuestion> next = session_.next();
    if (!next) {
        accept(); // today's due and new words are done
        return;
    }
    ask(*next);
}

void StudyWindow::paintButton(int k, std::optional<bool> right)
{
    PushButton* b = button(k);
    if (!right) {
        b->setPalette(QPalette());
        b->setAccessibleDescription(QString());
        return;
    }
    QPalette palette = b->palette();
    palette.setColor(QPalette::Button, *right ? RightColour : WrongColour);
    palette.setColor(QPalette::ButtonText, Qt::white);
    b->setPalette(palette);
    b->setAccessibleDescription(*right ? QStringLiteral("right answer")
                                       : QStringLiteral("wrong choice"));
}

void StudyWindow::announce(const QString& text, std::optional<bool> right)
{
    QPalette palette = status_->palette();
    palette.setColor(QPalette::WindowText, !right   ? QPalette().color(QPalette::WindowText)
                                           : *right ? RightColour
                                                    : WrongColour);
    status_->setPalette(palette);
    // A long meaning is cut short on the line; the whole of it is in the tooltip and is spoken.
    status_->setText(status_->fontMetrics().elidedText(text, Qt::ElideRight, status_->width()));
    status_->setToolTip(Qt::convertFromPlainText(text)); // a tooltip takes markup for markup
    // Screen readers speak a changed name of the status line.
    status_->setAccessibleName(text);
    QAccessibleEvent event(status_, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&event);
}

void StudyWindow::updateLine()
{
    const StudyStats stats = session_.stats();
    const StudySessionResult& result = session_.result();
    const QString answered = QStringLiteral("Answered: %1     Right: %2")
                                 .arg(result.answered)
                                 .arg(percentText(result.right, result.answered));
    if (const std::optional<int> left = session_.focusLeft())
        line_->setText(QStringLiteral("Words left: %1     ").arg(*left) + answered);
    else
        line_->setText(QStringLiteral("Due left: %1     New left today: %2     ")
                           .arg(stats.due)
                           .arg(stats.newLeftToday) +
                       answered);
    line_->setAccessibleName(line_->text());
}

bool StudyWindow::event(QEvent* event)
{
    // Any key while the outcome shows goes on at once, Tab included; a held key does not.
    if (event->type() == QEvent::KeyPress && outcomeShown_) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Escape)
            reject();
        else if (key->matches(QKeySequence::Undo) ||
                 (key->key() == Qt::Key_Backspace && key->modifiers() == Qt::NoModifier))
            takeBack();
        else if (!key->isAutoRepeat() && key->key() != Qt::Key_unknown &&
                 !(key->key() >= Qt::Key_Shift && key->key() <= Qt::Key_Alt)) {
            advance();
        }
        return true;
    }
    return QuizDialog::event(event);
}

void StudyWindow::keyPressEvent(QKeyEvent* event)
{
    if (const int k = answerKeyNumber(event)) {
        event->accept();
        choose(k);
        return;
    }
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        reject(); // the session ends here, and its summary follows
        return;
    }
    QuizDialog::keyPressEvent(event);
}

StudySummaryWindow::StudySummaryWindow(const StudySessionResult& result, QWidget* parent)
    : QuizDialog(QStringLiteral("StudySummary"), 5670, parent)
{
    setWindowTitle(Branding::ProductName);
    setWindowIcon(ProgramIcon());

    auto* frame1 = new QGroupBox(QStringLiteral("Study Session"), this);
    frame1->setObjectName(QStringLiteral("Frame1"));
    frame1->setGeometry(Twips::rect(120, 120, 7800, 1575));
    const auto label = [frame1](const char* name, const QString& text, int top) {
        auto* l = new QLabel(text, frame1);
        l->setObjectName(QLatin1String(name));
        l->setGeometry(Twips::rect(240, top, 7320, 300));
        return l;
    };
    label("lblAnswered", QStringLiteral("Answered: %1").arg(result.answered), 360);
    label("lblRight", QStringLiteral("Right: %1").arg(percentText(result.right, result.answered)),
          720);
    label("lblNextReview",
          QStringLiteral("Next review: ") +
              nextReviewText(result.nextReview, result.endedAt, result.saved),
          1080);

    const auto list = [this](const char* name, const QString& title, int left,
                             const QStringList& words) {
        auto* frame = new QGroupBox(title, this);
        frame->setObjectName(QLatin1String(name));
        frame->setGeometry(Twips::rect(left, 1770, 3840, 3255));
        auto* items = new QListWidget(frame);
        items->setObjectName(QLatin1String(name) + QStringLiteral("List"));
        items->setAccessibleName(title);
        items->setGeometry(Twips::rect(240, 300, 3375, 2715));
        // A meaning shows whole, wrapped, never behind a horizontal scroll bar.
        items->setWordWrap(true);
        items->setTextElideMode(Qt::ElideNone);
        items->setResizeMode(QListView::Adjust);
        items->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        items->addItems(words.isEmpty() ? QStringList{QStringLiteral("none")} : words);
    };
    list("Rejected", QStringLiteral("Words you took for non-words"), 120,
         Meanings::entries(result.rejectedWords, result.meanings));
    list("Accepted", QStringLiteral("Non-words you took for words"), 4080, result.acceptedNonWords);

    auto* close = new PushButton(QStringLiteral("Close Window"), this);
    close->setObjectName(QStringLiteral("PushButton1"));
    close->setGeometry(Twips::rect(120, 5145, 3840, 405));
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    auto* practise = new PushButton(QStringLiteral("Keep practising"), this);
    practise->setObjectName(QStringLiteral("PushButton2"));
    practise->setGeometry(Twips::rect(4080, 5145, 3840, 405));
    connect(practise, &QPushButton::clicked, this, [this] { done(KeepPractising); });
    practise->setVisible(result.canPractise);
    SetSystemBackColors(this);
    close->setFocus();
}

void StudySummaryWindow::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        event->accept();
        accept();
        return;
    default:
        QuizDialog::keyPressEvent(event);
    }
}

QString StudySummaryWindow::nextReviewText(const QDateTime& nextReview, const QDateTime& now,
                                           bool saved)
{
    if (!saved)
        return QStringLiteral("not known, as your answers are not saved");
    if (!nextReview.isValid())
        return QStringLiteral("nothing scheduled");
    if (nextReview <= now)
        return QStringLiteral("now");
    return WhenText::of(nextReview, now);
}
