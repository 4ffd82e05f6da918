#include "base/look/WindowLook.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QScreen>

static bool takesBackColor(const QWidget* w)
{
    return qobject_cast<const QGroupBox*>(w) || qobject_cast<const QLabel*>(w) ||
           qobject_cast<const QCheckBox*>(w) || qobject_cast<const QRadioButton*>(w);
}

static void setBackColor(QWidget* window, const QColor& color)
{
    const auto paint = [&color](QWidget* w) {
        QPalette palette = w->palette();
        palette.setColor(QPalette::Window, color);
        w->setPalette(palette);
        w->setAutoFillBackground(true);
    };
    paint(window);
    for (QWidget* child : window->findChildren<QWidget*>()) {
        if (takesBackColor(child))
            paint(child);
    }
}

void SetSystemBackColors(QWidget* window)
{
    setBackColor(window, QApplication::palette().color(QPalette::Active, QPalette::Button));
}

void SetWhiteBackColors(QWidget* window)
{
    setBackColor(window, Qt::white);
}

void ApplySkin(QWidget* mainWindow, const QString& programFolder)
{
    const QString skin = programFolder + QDir::separator() + QStringLiteral("x") +
                         QDir::separator() + QStringLiteral("o.cjs");
    if (!QFileInfo(skin).isFile())
        return;
    SetSystemBackColors(mainWindow);
}

void CentreOnScreen(QWidget* window)
{
    const QScreen* screen = window->screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (screen)
        window->move(screen->availableGeometry().center() -
                     QPoint(window->width() / 2, window->height() / 2));
}
