#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTest>

// Writes the bytes to path, making its folder when missing; fails the test when it can't.
inline void writeFile(const QString& path, const QByteArray& bytes = {})
{
    QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

// chattr +i or -i on those of the paths that exist (root, on a filesystem that has the flag).
inline bool setImmutable(const QStringList& paths, bool on)
{
    QStringList args{on ? "+i" : "-i"};
    for (const QString& p : paths)
        if (QFileInfo::exists(p))
            args.append(p);
    return QProcess::execute(QStringLiteral("chattr"), args) == 0;
}
