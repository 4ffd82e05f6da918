#include "base/look/ProgramIcon.h"

#include <QPixmap>

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
