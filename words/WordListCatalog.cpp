#include "words/WordListCatalog.h"

#include "base/DataFolder.h"
#include "base/ErrorReporting.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSet>

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
    QString base;
    for (const QChar c : QFileInfo(listFile).completeBaseName())
        base += c.isLetterOrNumber() || c == QLatin1Char('-') || c == QLatin1Char('_') ||
                        c == QLatin1Char('.') || c == QLatin1Char(' ')
                    ? c
                    : QLatin1Char('_');
    // A leading dot would hide the file, and the temporary files of an import start with one.
    while (base.startsWith(QLatin1Char('.')))
        base.remove(0, 1);
    base = base.left(MaxNameChars).trimmed();
    return base.isEmpty() ? QStringLiteral("list") : base;
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

QString WordListCatalog::claim(const QString& draft, const QString& wanted) const
{
    QLockFile lock(folder_ + QStringLiteral("/.lock"));
    if (!lock.tryLock(LockWaitMs))
        throw AppError(QStringLiteral("another trainer keeps the lists folder locked"));
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
    return QFile::remove(pathOf(name));
}
