#include "quiz/QuizDialog.h"

#include "base/look/DesignUnits.h"
#include "base/look/WindowLook.h"

#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>

QuizDialog::QuizDialog(const QString& name, int clientHeightTwips, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(name);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                   Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setWindowModality(Qt::ApplicationModal);
    setFont(Fonts::window());
    setFixedSize(Twips::rect(0, 0, 8040, clientHeightTwips).size());
    CentreOnScreen(this);
}

QLabel* QuizDialog::addStatusFrame(const QString& labelName)
{
    auto* frame = new QGroupBox(QStringLiteral("Last Question Status"), this);
    frame->setObjectName(QStringLiteral("Frame2"));
    frame->setGeometry(Twips::rect(120, 2610, 7800, 795));
    auto* label = new QLabel(frame);
    label->setObjectName(labelName);
    label->setTextFormat(Qt::PlainText); // it shows words and meanings from the word list
    label->setGeometry(Twips::rect(240, 300, 7320, 300));
    label->setAccessibleName(frame->title());
    return label;
}

void QuizDialog::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
