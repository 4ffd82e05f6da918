#include "study/HistoryFile.h"

#include "study/HistoryDb.h"
#include "study/HistoryFolder.h"
#include "study/HistorySchema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace HistoryFile {

QString defaultPath()
{
    return HistoryFolder().pathFor(HistoryFolder::BundledId, QString());
}

bool isArchiveName(const QString& listName)
{
    // moveAside's "-<why>-yyyyMMdd-HHmmss", then "-N" when that name was taken.
    static const QRegularExpression archive(
        QStringLiteral("(^|-)(%1|%2)-\\d{8}-\\d{6}(-\\d+)?$").arg(DamagedMark, ForgottenMark),
        QRegularExpression::CaseInsensitiveOption);
    return archive.match(listName).hasMatch();
}

namespace {

QString sideName(const QString& path, const QString& side)
{
    return path + QLatin1Char('-') + side;
}

} // namespace

QString whyNotWritable(const QString& path)
{
    const QFileInfo info(path);
    const QString folder = info.absolutePath();
    if (!QFileInfo(folder).isDir())
        return QStringLiteral("its folder is missing");
    if (existsUnwritable(folder))
        return QStringLiteral("its folder is read-only");
    if (existsUnwritable(path))
        return QStringLiteral("the file is read-only");
    for (const QString& side : {QStringLiteral("wal"), QStringLiteral("shm")}) {
        const QString name = sideName(path, side);
        if (!existsUnwritable(name))
            continue;
        // SQLite makes these with the file's permissions: a read-only file's are read-only.
        if (info.exists() && QFileInfo(name).ownerId() == info.ownerId())
            QFile::setPermissions(name, info.permissions());
        if (existsUnwritable(name))
            return QStringLiteral("SQLite's file beside it, %1, is read-only")
                .arg(QDir::toNativeSeparators(name));
    }
    return QString();
}

Outcome open(HistoryDb& db, QString* reason, bool createFolder, Check check)
{
    db.close();
    const QFileInfo info(db.path());
    if (createFolder && !QDir().mkpath(info.absolutePath())) {
        *reason = QStringLiteral("its folder can't be created");
        return Outcome::Unwritable;
    }
    // Decided before SQLite touches anything: a writable connection to a read-only file would
    // leave read-only journal files beside it.
    *reason = whyNotWritable(db.path());
    const bool writable = reason->isEmpty();
    if (!writable && !info.exists())
        return Outcome::Unwritable;
    try {
        // Read as it stands when no log beside it holds newer answers: that makes no files.
        db.open(writable                                        ? HistoryDb::Access::ReadWrite
                : QFileInfo::exists(sideName(db.path(), "wal")) ? HistoryDb::Access::ReadOnly
                                                                : HistoryDb::Access::Frozen);
        int version = 0;
        switch (HistorySchema::identify(db, &version)) {
        case HistorySchema::Kind::Foreign:
            db.close();
            *reason = QStringLiteral("it is another program's database");
            return Outcome::Foreign;
        case HistorySchema::Kind::Newer:
            if (writable)
                db.open(HistoryDb::Access::ReadOnly);
            *reason = QStringLiteral("it was written by a newer version of the program");
            return Outcome::Newer;
        case HistorySchema::Kind::Ours:
        case HistorySchema::Kind::New:
            break;
        }
        if (!writable || check == Check::Whole) {
            const QString found = db.scalar(QStringLiteral("PRAGMA quick_check")).toString();
            if (found != QStringLiteral("ok")) {
                *reason = found;
                return Outcome::Damaged;
            }
        }
        if (!writable)
            return Outcome::Unwritable;
        db.run(QStringLiteral("PRAGMA journal_mode=WAL"));
        db.run(QStringLiteral("PRAGMA synchronous=NORMAL"));
        HistorySchema::migrate(db, version);
        return Outcome::Ready;
    } catch (const DbError& e) {
        *reason = e.cause();
        return e.damaged() ? Outcome::Damaged : Outcome::Unwritable;
    }
}

QString moveAside(HistoryDb& db, const QString& why)
{
    db.close();
    const QString path = db.path();
    const QFileInfo info(path);
    const QString archive = HistoryFolder::archiveFor(path);
    QDir().mkpath(archive);
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString target;
    for (int n = 1; n < 100; ++n) {
        target = archive + QLatin1Char('/') + info.completeBaseName() + QLatin1Char('-') + why +
                 QLatin1Char('-') + stamp + (n > 1 ? QStringLiteral("-%1").arg(n) : QString()) +
                 (info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix());
        if (!QFile::exists(target))
            break;
    }
    if (!QFile::rename(path, target))
        return QString();
    for (const QString& side : {QStringLiteral("wal"), QStringLiteral("shm")})
        if (QFile::exists(sideName(path, side)))
            QFile::rename(sideName(path, side), sideName(target, side));
    return target;
}

} // namespace HistoryFile
