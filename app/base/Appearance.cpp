#include "Appearance.h"

#include "Branding.h"
#include "ErrorReporting.h"
#include "PushButton.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QRadioButton>
#include <QScreen>
#include <QtEndian>

QColor Colors::fromNumber(qint32 value)
{
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

QFont Fonts::window()
{
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(9);
    font.setBold(true);
    return font;
}

QFont Fonts::pushButton()
{
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(11.25);
    font.setBold(true);
    return font;
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

bool FileExists(const QString& path)
{
    if (path.isEmpty() || path.contains(QChar(0)))
        return false;
    const QFileInfo info(path);
    return info.exists() && info.lastModified().isValid();
}

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

QString AppTitleFor(const QString& productName)
{
    QString title = productName;
    do {
        const qsizetype blank = title.lastIndexOf(QLatin1Char(' '));
        if (blank < 0)
            throw AppError(QStringLiteral("Invalid procedure call or argument"));
        title.truncate(blank);
    } while (title.size() > 40);
    return title;
}

void SetAppTitle(QString& appTitle)
{
    appTitle = AppTitleFor(Branding::ProductName);
}

static void initIconResources()
{
    // The icons are compiled into this static library; make sure the linker keeps them.
    Q_INIT_RESOURCE(icons);
}

const QList<QImage>& ProgramIconImages()
{
    // Safe to call from any thread; the first call decodes, later ones wait for it and share it.
    static const QList<QImage> images = [] {
        initIconResources();
        QList<QImage> decoded;
        for (int size : {32, 48})
            decoded.append(QImage(QStringLiteral(":/icons/lexitor-trainer-%1.png").arg(size)));
        return decoded;
    }();
    return images;
}

QIcon ProgramIcon()
{
    static const QIcon icon = [] {
        QIcon i;
        for (const QImage& image : ProgramIconImages())
            i.addPixmap(QPixmap::fromImage(image));
        return i;
    }();
    return icon;
}

QCursor LoadHandCursor(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw AppError(QStringLiteral("File not found: ") + path);
    const QByteArray bytes = file.readAll();
    QPixmap picture;
    // Qt's cursor reader drops the hotspot, which the file keeps at bytes 10 to 13.
    if (bytes.size() < 14 || !picture.loadFromData(bytes, "CUR") || picture.isNull())
        throw AppError(QStringLiteral("Invalid picture"));
    const int x = qFromLittleEndian<quint16>(bytes.constData() + 10);
    const int y = qFromLittleEndian<quint16>(bytes.constData() + 12);
    return QCursor(picture, qBound(0, x, picture.width() - 1), qBound(0, y, picture.height() - 1));
}

void ApplyHandPointer(QWidget* window, const std::optional<QCursor>& hand)
{
    window->unsetCursor();
    for (PushButton* button : window->findChildren<PushButton*>()) {
        if (hand)
            button->setCursor(*hand);
        else
            button->unsetCursor();
    }
}
