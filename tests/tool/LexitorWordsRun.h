#pragma once

// What the tests of lexitor-words share: a run of the built tool, what a path holds, and a
// temporary folder for each case with the list the tool reads and the database it writes.

#include "TestFiles.h"
#include "WordDatabase.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>
#include <sys/stat.h>

struct Run
{
    int exitCode = -1;
    QString out;
    QString err;
};

inline Run runTool(const QStringList& arguments, const QByteArray& input = QByteArray(),
                   const std::function<void(QProcess&)>& prepare = {})
{
    QProcess process;
    if (prepare)
        prepare(process);
    process.start(QStringLiteral(LEXITOR_WORDS_BIN), arguments);
    if (!process.waitForStarted())
        return {};
    if (!input.isEmpty())
        process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return {};
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

// The bytes of a literal holding NULs, without the final one.
template <std::size_t N> QByteArray raw(const char (&bytes)[N])
{
    return QByteArray(bytes, N - 1);
}

// What a path is, links not followed, and what the file it leads to holds.
inline QString state(const QString& path)
{
    struct stat status = {};
    if (::lstat(QFile::encodeName(path).constData(), &status) != 0)
        return QStringLiteral("missing");
    if (S_ISLNK(status.st_mode))
        return QFileInfo(path).symLinkTarget() + QLatin1Char(' ') +
               state(QFileInfo(path).symLinkTarget());
    return QString::number(status.st_mode, 8) + QLatin1Char(' ') +
           (S_ISREG(status.st_mode) ? WordDatabase::fileHash(path).toHex() : QByteArray());
}

inline QStringList hiddenFiles(const QString& dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                               QDir::NoDotAndDotDot);
}

inline QByteArray fourLetterList(int count)
{
    return WordDatabase::sequentialWords(4, count).join(QLatin1Char('\n')).toLatin1();
}

class ListFolderCase : public QObject
{
protected:
    void makeFolder()
    {
        dir = std::make_unique<QTemporaryDir>();
        QVERIFY(dir->isValid());
        list = dir->filePath(QStringLiteral("list.txt"));
        output = dir->filePath(QStringLiteral("dbWords.mdb"));
    }

    std::unique_ptr<QTemporaryDir> dir;
    QString list;
    QString output;
};
