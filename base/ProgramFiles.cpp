#include "ProgramFiles.h"

#include <QFileInfo>

bool FileExists(const QString& path)
{
    if (path.isEmpty() || path.contains(QChar(0)))
        return false;
    const QFileInfo info(path);
    return info.exists() && info.lastModified().isValid();
}
