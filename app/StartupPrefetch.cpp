#include "app/StartupPrefetch.h"

#include "base/ErrorReporting.h"
#include "base/ProgramFiles.h"
#include "base/look/HandCursor.h"
#include "base/look/ProgramIcon.h"

#include <QDir>
#include <QSqlDatabase>

namespace {
const QString PrefetchConnection = QStringLiteral("StartupPrefetch");

void loadSqlDriver()
{
    {
        // Creating a connection loads the driver plugin, which stays loaded for the real one.
        const QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), PrefetchConnection);
        Q_UNUSED(db);
    }
    QSqlDatabase::removeDatabase(PrefetchConnection);
}

void loadCursorReader(const QString& programFolder)
{
    const QString path = programFolder + QDir::separator() + QStringLiteral("HAND-M.CUR");
    if (!FileExists(path))
        return;
    // Reads and decodes the file once for the whole run; the windows take the picture from there.
    try {
        ReadCursorPicture(path);
    } catch (const AppError&) {
        // Each window that wants the cursor reports the damage itself.
    }
}
} // namespace

StartupPrefetch::StartupPrefetch(const QString& programFolder)
    : worker_([programFolder] {
          loadSqlDriver();
          ProgramIconImages();
          loadCursorReader(programFolder);
      })
{}

StartupPrefetch::~StartupPrefetch()
{
    worker_.join();
}
