#include "app/StudyFrame.h"

#include "base/Environment.h"
#include "base/look/DesignUnits.h"
#include "base/look/PushButton.h"
#include "studywindows/StudyActions.h"

#include <QLabel>
#include <QLocale>

namespace {

// The text on the label's one line, cut short with an ellipsis when it is wider (a list's name
// may be long); the whole of it stays the label's accessible name and, when cut, its tool tip.
void setFitted(QLabel* label, const QString& text)
{
    const QString shown = label->fontMetrics().elidedText(text, Qt::ElideRight, label->width());
    label->setText(shown);
    label->setToolTip(shown == text ? QString() : text);
    label->setAccessibleName(text);
}

} // namespace

StudyFrame::StudyFrame(Environment& env, StudyActions* study, QWidget* parent)
    : QGroupBox(QStringLiteral("Study what you miss"), parent), env_(env), study_(study)
{
    setObjectName(QStringLiteral("StudyFrame"));
    setFocusPolicy(Qt::NoFocus);
    studyButton_ = PushButton::place(this, "StudyButton", studyCaption(std::nullopt, std::nullopt),
                                     Twips::rect(240, 300, 5460, 405));
    connect(studyButton_, &QPushButton::clicked, this, &StudyFrame::studyRequested);
    PushButton* lookUpButton = PushButton::place(this, "LookUpButton", QStringLiteral("Look up..."),
                                                 Twips::rect(5820, 300, 1740, 405));
    connect(lookUpButton, &QPushButton::clicked, this, &StudyFrame::lookUp);
    // Each of these may change the counts: forgetting all progress, other settings, another
    // list with another history.
    connectAction(PushButton::place(this, "ProgressButton", QStringLiteral("Progress"),
                                    Twips::rect(240, 780, 1740, 405)),
                  &StudyActions::showProgress);
    connectAction(PushButton::place(this, "StudySettingsButton", QStringLiteral("Settings"),
                                    Twips::rect(2100, 780, 1740, 405)),
                  &StudyActions::editSettings);
    connectAction(PushButton::place(this, "WordListsButton", QStringLiteral("Word lists..."),
                                    Twips::rect(3960, 780, 1740, 405)),
                  &StudyActions::manageWordLists);
    PushButton* help = PushButton::place(this, "StudyHelpButton", QStringLiteral("Study help"),
                                         Twips::rect(5820, 780, 1740, 405));
    connect(help, &QPushButton::clicked, this, &StudyFrame::showHelp);

    list_ = new QLabel(this);
    list_->setObjectName(QStringLiteral("WordListLabel"));
    list_->setTextFormat(Qt::PlainText); // a list's name is the player's text
    list_->setGeometry(Twips::rect(240, 1260, 7320, 345));
    setFitted(list_, listCaption(QString()));

    pace_ = new QLabel(this);
    pace_->setObjectName(QStringLiteral("PaceLabel"));
    pace_->setTextFormat(Qt::PlainText);
    pace_->setGeometry(Twips::rect(240, 1605, 7320, 345));
}

void StudyFrame::connectAction(PushButton* button,
                               std::function<void(StudyActions&, QWidget*)> action)
{
    connect(button, &QPushButton::clicked, this, [this, action = std::move(action)] {
        if (study_)
            action(*study_, window());
        refresh();
    });
}

QString StudyFrame::studyCaption(std::optional<int> due, std::optional<int> fresh)
{
    const QLocale locale;
    if (!due)
        return QStringLiteral("Daily drill");
    if (!fresh)
        return QStringLiteral("Daily drill (%1 due)").arg(locale.toString(*due));
    return QStringLiteral("Daily drill (%1 due, %2 new)")
        .arg(locale.toString(*due), locale.toString(*fresh));
}

QString StudyFrame::listCaption(const QString& name)
{
    return QStringLiteral("Word list in use: ") + name;
}

void StudyFrame::refresh()
{
    if (!study_)
        return;
    const std::optional<int> due = study_->dueNow();
    studyButton_->setText(studyCaption(due, study_->newToday()));
    setFitted(list_, listCaption(study_->listInUse()));
    setFitted(pace_, study_->paceLine());
}

void StudyFrame::lookUp()
{
    if (study_)
        study_->lookUp(window());
}

void StudyFrame::showHelp()
{
    env_.messages.show(HelpText, HelpTitle, MessageIcon::None);
}
