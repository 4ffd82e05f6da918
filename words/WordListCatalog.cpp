#include "words/WordListCatalog.h"

#include "base/DataFolder.h"
#include "base/ErrorReporting.h"
#include "base/FileRename.h"
#include "words/ListDraft.h"
#include "words/WordSchema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSet>
#include <QUuid>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace {

const QString Suffix = QStringLiteral(".mdb");
constexpr int MaxNameChars = 60;
constexpr int MaxSuffix = 1000;
// The folder's lock is held only while a name is claimed, a moment.
constexpr int LockWaitMs = 2000;

// Lower-case Cyrillic and Greek letters (after case folding) that look like a Latin letter, and
// that letter. The capitals fold onto these first.
constexpr char16_t LookAlikes[][2] = {
    {u'а', u'a'}, {u'в', u'b'}, {u'е', u'e'}, {u'к', u'k'}, {u'м', u'm'}, {u'н', u'h'},
    {u'о', u'o'}, {u'р', u'p'}, {u'с', u'c'}, {u'т', u't'}, {u'у', u'y'}, {u'х', u'x'},
    {u'ѕ', u's'}, {u'і', u'i'}, {u'ј', u'j'}, {u'ԁ', u'd'}, {u'ԛ', u'q'}, {u'ԝ', u'w'},
    {u'һ', u'h'}, {u'ӏ', u'l'}, {u'ү', u'y'}, {u'α', u'a'}, {u'β', u'b'}, {u'ε', u'e'},
    {u'ζ', u'z'}, {u'η', u'h'}, {u'ι', u'i'}, {u'κ', u'k'}, {u'μ', u'm'}, {u'ν', u'n'},
    {u'ο', u'o'}, {u'ρ', u'p'}, {u'τ', u't'}, {u'υ', u'y'}, {u'χ', u'x'}, {u'ϲ', u'c'},
    {u'ϳ', u'j'},
};

} // namespace

QString WordListCatalog::defaultFolder()
{
    const QString data = UserDataFolder();
    return data.isEmpty() ? QString() : data + QStringLiteral("/lists");
}

WordListCatalog::WordListCatalog(QString folder) : folder_(std::move(folder)) {}

QStringList WordListCatalog::names() const
{
    if (folder_.isEmpty())
        return {};
    QStringList names;
    const QStringList files =
        QDir(folder_).entryList({QLatin1Char('*') + Suffix}, QDir::Files, QDir::Name);
    for (const QString& file : files)
        names.append(file.chopped(Suffix.size()));
    return names;
}

QString WordListCatalog::pathOf(const QString& name) const
{
    return folder_ + QLatin1Char('/') + name + Suffix;
}

QString WordListCatalog::wantedName(const QString& listFile)
{
    const QString base = cleanName(QFileInfo(listFile).completeBaseName());
    return base.isEmpty() ? QStringLiteral("list") : base;
}

QString WordListCatalog::cleanName(const QString& name)
{
    QString base;
    for (const QChar c : name)
        base += c.isLetterOrNumber() || c == QLatin1Char('-') || c == QLatin1Char('_') ||
                        c == QLatin1Char('.') || c == QLatin1Char(' ')
                    ? c
                    : QLatin1Char('_');
    // A leading dot would hide the file, and the temporary files of an import start with one.
    while (base.startsWith(QLatin1Char('.')))
        base.remove(0, 1);
    return base.left(MaxNameChars).trimmed();
}

QString WordListCatalog::foldName(const QString& name)
{
    QString folded = name.normalized(QString::NormalizationForm_KC).toCaseFolded();
    for (QChar& c : folded)
        for (const auto& pair : LookAlikes)
            if (c.unicode() == pair[0])
                c = QChar(pair[1]);
    return folded;
}

void WordListCatalog::reserve(std::function<bool(const QString& name)> reserved)
{
    reserved_ = std::move(reserved);
}

void WordListCatalog::lockFolder(QLockFile& lock)
{
    if (!lock.tryLock(LockWaitMs))
        throw AppError(QStringLiteral("another trainer keeps the lists folder locked"));
}

QString WordListCatalog::claim(const QString& draft, const QString& wanted) const
{
    QLockFile lock(lockPath());
    lockFolder(lock);
    QSet<QString> taken;
    for (const QString& name : names())
        taken.insert(foldName(name));
    for (int n = 1; n <= MaxSuffix; ++n) {
        // The suffix ends in ')', so no suffixed name looks like anything reserved by its end.
        const QString name = n == 1 ? wanted : QStringLiteral("%1 (%2)").arg(wanted).arg(n);
        if (taken.contains(foldName(name)) || (reserved_ && reserved_(name)))
            continue;
        if (placeWithoutReplacing(draft, name))
            return name;
    }
    throw AppError(QStringLiteral("no free name is left for it"));
}

bool WordListCatalog::placeWithoutReplacing(const QString& draft, const QString& name) const
{
    const QByteArray from = QFile::encodeName(draft);
    const QByteArray to = QFile::encodeName(pathOf(name));
    // A hard link never replaces a file; the draft's own name goes when the import ends.
    if (::link(from.constData(), to.constData()) == 0)
        return true;
    if (errno == EEXIST)
        return false;
    if (errno != EPERM && errno != EOPNOTSUPP && errno != ENOSYS)
        throw AppError(QStringLiteral("it can't be saved as %1: %2")
                           .arg(pathOf(name), QString::fromLocal8Bit(std::strerror(errno))));
    // A file system without hard links: the folder's lock keeps other trainers out meanwhile.
    if (QFileInfo::exists(pathOf(name)))
        return false;
    if (std::rename(from.constData(), to.constData()) != 0)
        throw AppError(QStringLiteral("it can't be saved as %1").arg(pathOf(name)));
    return true;
}

bool WordListCatalog::remove(const QString& name) const
{
    // Under the lock: a list given its id meanwhile would come back.
    QLockFile lock(lockPath());
    return lock.tryLock(LockWaitMs) && QFile::remove(pathOf(name));
}

namespace {

QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

// Writes the bytes of the file at from over the file at to.
void copyFile(const QString& from, const QString& to)
{
    QFile source(from);
    QFile target(to);
    if (!source.open(QIODevice::ReadOnly) || !target.open(QIODevice::WriteOnly))
        throw AppError(source.isOpen() ? target.errorString() : source.errorString());
    constexpr qint64 PieceBytes = 1 << 16;
    while (!source.atEnd()) {
        const QByteArray piece = source.read(PieceBytes);
        if (piece.isEmpty() && source.error() != QFile::NoError)
            throw AppError(source.errorString());
        if (target.write(piece) != piece.size())
            throw AppError(target.errorString());
    }
    if (!target.flush())
        throw AppError(target.errorString());
}

} // namespace

void WordListCatalog::rename(const QString& from, const QString& to) const
{
    if (to.isEmpty() || cleanName(to) != to)
        throw AppError(QStringLiteral("a list's name holds only letters, digits, blanks, '-', '_' "
                                      "and '.', at most %1 of them, and starts with no dot")
                           .arg(MaxNameChars));
    QLockFile lock(lockPath());
    lockFolder(lock);
    if (!QFileInfo(pathOf(from)).isFile())
        throw AppError(QStringLiteral("there is no list \"%1\"").arg(from));
    const QString folded = foldName(to);
    for (const QString& name : names())
        if (name != from && foldName(name) == folded)
            throw AppError(QStringLiteral("the list \"%1\" is named like it").arg(name));
    if (reserved_ && reserved_(to))
        throw AppError(QStringLiteral("that name is kept for another list"));
    if (!RenameWithoutReplacing(pathOf(from), pathOf(to)))
        throw AppError(QStringLiteral("it can't be renamed: %1").arg(systemError()));
}

void WordListCatalog::replace(const QString& draft, const QString& name, const QString& id) const
{
    const QString path = pathOf(name);
    QLockFile lock(lockPath());
    lockFolder(lock);
    if (!QFileInfo(path).isFile() || WordSchema::listId(path) != id)
        throw AppError(QStringLiteral("the list \"%1\" changed meanwhile").arg(name));
    // Readers of the list keep the file they opened (immutable); the name takes the new one.
    if (std::rename(QFile::encodeName(draft).constData(), QFile::encodeName(path).constData()) != 0)
        throw AppError(QStringLiteral("it can't take the list's place: %1").arg(systemError()));
}

QString WordListCatalog::newId()
{
    return QUuid::createUuid().toString(QUuid::WithoutBraces);
}

bool WordListCatalog::isId(const QString& id)
{
    // Only our own form: the id names a file, and a list's file is anyone's.
    return id.size() == 36 && QUuid::fromString(id).toString(QUuid::WithoutBraces) == id;
}

QString WordListCatalog::idOf(const QString& name) const
{
    const QString path = pathOf(name);
    if (const QString id = WordSchema::listId(path); isId(id))
        return id;
    const ListDraft draft(folder_, name);
    copyFile(path, draft.path());
    const QString id = newId();
    WordSchema::setListId(draft.path(), id);
    QLockFile lock(lockPath());
    lockFolder(lock);
    // Another trainer may have given it one meanwhile, or removed it.
    if (const QString given = WordSchema::listId(path); isId(given))
        return given;
    if (std::rename(QFile::encodeName(draft.path()).constData(),
                    QFile::encodeName(path).constData()) != 0)
        throw AppError(QStringLiteral("its id can't be kept: %1").arg(systemError()));
    return id;
}
