#include "HistoryFile.h"

#include "DataFolder.h"
#include "HistoryDb.h"
#include "HistorySchema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace HistoryFile {

QString defaultPath()
{
    return pathForList(QString());
}

QString pathForList(const QString& listName)
{
    const QString folder = UserDataFolder();
    if (folder.isEmpty())
        return QString();
    return folder + (listName.isEmpty() ? QStringLiteral("/history.sqlite")
                                        : QStringLiteral("/history-%1.sqlite").arg(listName));
}

Outcome open(HistoryDb& db, QString* reason)
{
    const QFileInfo info(db.path());
    if (!QDir().mkpath(info.absolutePath())) {
        *reason = QStringLiteral("its folder can't be created");
        return Outcome::Unwritable;
    }
    try {
        db.open();
        const QString check = db.scalar(QStringLiteral("PRAGMA quick_check")).toString();
        if (check != QStringLiteral("ok")) {
            *reason = check;
            return Outcome::Damaged;
        }
        const int version = db.scalar(QStringLiteral("PRAGMA user_version")).toInt();
        const int tables = db.scalar(QStringLiteral("SELECT count(*) FROM sqlite_master")).toInt();
        if (version == 0 && tables > 0) {
            *reason = QStringLiteral("it is not a study history");
            return Outcome::Damaged;
        }
        if (version > HistorySchema::Version) {
            // A newer program's history: read it, but leave it as it is.
            *reason = QStringLiteral("it was written by a newer version of the program");
            return Outcome::Unwritable;
        }
        if (!QFileInfo(db.path()).isWritable()) {
            *reason = QStringLiteral("the file is read-only");
            return Outcome::Unwritable;
        }
        db.run(QStringLiteral("PRAGMA journal_mode=WAL"));
        db.run(QStringLiteral("PRAGMA synchronous=NORMAL"));
        HistorySchema::migrate(db, version);
        return Outcome::Ready;
    } catch (const DbError& e) {
        *reason = e.text;
        return e.damaged() ? Outcome::Damaged : Outcome::Unwritable;
    }
}

QString moveAside(HistoryDb& db, const QString& why)
{
    db.close();
    const QString path = db.path();
    const QFileInfo info(path);
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString target;
    for (int n = 1; n < 100; ++n) {
        target = info.absolutePath() + QLatin1Char('/') + info.completeBaseName() +
                 QLatin1Char('-') + why + QLatin1Char('-') + stamp +
                 (n > 1 ? QStringLiteral("-%1").arg(n) : QString()) + QLatin1Char('.') +
                 info.suffix();
        if (!QFile::exists(target))
            break;
    }
    if (!QFile::rename(path, target))
        return QString();
    for (const QString& side : {QStringLiteral("-wal"), QStringLiteral("-shm")})
        if (QFile::exists(path + side))
            QFile::rename(path + side, target + side);
    return target;
}

} // namespace HistoryFile
