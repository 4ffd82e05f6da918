#include "QuizDialog.h"

#include "DesignUnits.h"
#include "WindowLook.h"

#include <QKeyEvent>

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

void QuizDialog::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
