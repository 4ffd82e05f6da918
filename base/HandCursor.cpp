#include "HandCursor.h"

#include "ErrorReporting.h"
#include "PushButton.h"

#include <QFile>
#include <QPixmap>
#include <QtEndian>

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
