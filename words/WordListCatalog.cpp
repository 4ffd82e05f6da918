#include "WordListCatalog.h"

#include "DataFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

const QString Suffix = QStringLiteral(".mdb");
constexpr int MaxNameChars = 60;

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

QString WordListCatalog::freeName(const QString& listFile) const
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
    if (base.isEmpty())
        base = QStringLiteral("list");
    QString name = base;
    for (int n = 2; QFileInfo::exists(pathOf(name)); ++n)
        name = QStringLiteral("%1 (%2)").arg(base).arg(n);
    return name;
}

bool WordListCatalog::remove(const QString& name) const
{
    return QFile::remove(pathOf(name));
}
