#include "base/look/QtMessageBoxes.h"

#include "base/look/ProgramIcon.h"

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QLayout>
#include <QMessageBox>
#include <QScreen>

QString QtMessageBoxes::displayText(const QString& text)
{
    QString display = text;
    display.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    display.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return display;
}

namespace {
// A message box that shows its lines as the program breaks them. QMessageBox wraps any line
// wider than about 500 pixels when it is shown, and again on every layout request; unwrap the
// text once it has sized itself and keep the layout from wrapping it again.
class UnwrappedMessageBox : public QMessageBox
{
public:
    using QMessageBox::QMessageBox;

protected:
    void showEvent(QShowEvent* event) override
    {
        QMessageBox::showEvent(event);
        auto* label = findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
        if (!label || !label->wordWrap())
            return;
        label->setWordWrap(false);
        layout()->activate();
        const QSize unwrapped = layout()->totalMinimumSize();
        const QScreen* screen = this->screen();
        if (screen && unwrapped.width() > screen->availableGeometry().width() * 9 / 10) {
            label->setWordWrap(true); // too wide for the screen: let Qt wrap it after all
            return;
        }
        unwrapped_ = true;
        const QPoint center = geometry().center();
        setFixedSize(unwrapped);
        move(center - QPoint(width() / 2, height() / 2));
    }

    bool event(QEvent* event) override
    {
        if (unwrapped_ && event->type() == QEvent::LayoutRequest)
            return QDialog::event(event);
        return QMessageBox::event(event);
    }

private:
    bool unwrapped_ = false;
};
} // namespace

void QtMessageBoxes::show(const QString& text, const QString& title, MessageIcon icon)
{
    UnwrappedMessageBox box(icon == MessageIcon::Warning ? QMessageBox::Warning
                                                         : QMessageBox::NoIcon,
                            title, displayText(text), QMessageBox::Ok);
    box.setTextFormat(Qt::PlainText);
    box.setWindowIcon(ProgramIcon());
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

bool QtMessageBoxes::ask(const QString& text, const QString& title)
{
    UnwrappedMessageBox box(QMessageBox::Question, title, displayText(text),
                            QMessageBox::Yes | QMessageBox::No, QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText);
    box.setWindowIcon(ProgramIcon());
    box.setWindowModality(Qt::ApplicationModal);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}
