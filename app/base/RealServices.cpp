#include "RealServices.h"

#include "Appearance.h"

#include <QDesktopServices>
#include <QMessageBox>

QString QtMessageBoxes::displayText(const QString& text)
{
    QString display = text;
    display.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    display.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return display;
}

void QtMessageBoxes::show(const QString& text, const QString& title, MessageIcon icon)
{
    QMessageBox box(icon == MessageIcon::Warning ? QMessageBox::Warning : QMessageBox::NoIcon,
                    title, displayText(text), QMessageBox::Ok);
    box.setTextFormat(Qt::PlainText);
    box.setWindowIcon(ProgramIcon());
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

bool DesktopUrlOpener::open(const QUrl& url)
{
    return QDesktopServices::openUrl(url);
}
