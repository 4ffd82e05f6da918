// lexitor-words: builds the word database dbWords.mdb from a plain word list.

#include "ErrorReporting.h"
#include "WordList.h"
#include "WordSchema.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

enum ExitCode
{
    Success = 0,
    Refused = 1,     // the list could not be read or would make an unusable database
    UsageError = 2,  // wrong options or arguments
    CannotWrite = 3, // the database could not be written
};

const char* const ExitCodeHelp = "Exit codes:\n"
                                 "  0  the database was written\n"
                                 "  1  the list was refused: it cannot be read, or one word\n"
                                 "     length would hold more than 32,767 words\n"
                                 "  2  usage error: unknown option, missing or extra arguments\n"
                                 "  3  the database could not be written\n";

void print(FILE* stream, const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stream);
}

void error(const QString& message)
{
    print(stderr,
          QCoreApplication::applicationName() + QStringLiteral(": ") + message + QLatin1Char('\n'));
}

// A rejected line as shown in the report: control characters would garble the terminal.
QString printable(QString text)
{
    for (QChar& c : text)
        if (!c.isPrint())
            c = QLatin1Char('?');
    return text;
}

QString lengthName(int length)
{
    switch (length) {
    case 2:
        return QStringLiteral("two-letter");
    case 3:
        return QStringLiteral("three-letter");
    default:
        return QStringLiteral("four-letter");
    }
}

bool readList(const QString& path, QByteArray& contents)
{
    QFile file;
    const bool opened = path == QLatin1String("-")
                            ? file.open(stdin, QIODevice::ReadOnly)
                            : (file.setFileName(path), file.open(QIODevice::ReadOnly));
    if (!opened) {
        error(QStringLiteral("cannot read %1: %2").arg(path, file.errorString()));
        return false;
    }
    contents = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        error(QStringLiteral("cannot read %1: %2").arg(path, file.errorString()));
        return false;
    }
    return true;
}

// Builds the database beside the output under a temporary name and renames it over the output
// only when it is complete: a failure leaves no half-written file and an existing database as it
// was.
bool writeAtomically(const QString& output, const QStringList& words)
{
    const QFileInfo target(output);
    if (target.isDir()) {
        error(QStringLiteral("cannot write %1: it is a folder").arg(output));
        return false;
    }
    QTemporaryFile temporary(target.absolutePath() + QStringLiteral("/.") + target.fileName() +
                             QStringLiteral(".XXXXXX"));
    if (!temporary.open()) {
        error(QStringLiteral("cannot write %1: %2").arg(output, temporary.errorString()));
        return false;
    }
    temporary.close();
    const QString temporaryPath = temporary.fileName();

    try {
        WordSchema::writeDatabase(temporaryPath, words);
    } catch (const AppError& e) {
        error(QStringLiteral("cannot write %1: %2").arg(output, e.description()));
        return false;
    }
    // Readable by everyone, like any other file the program ships.
    QFile::setPermissions(temporaryPath, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                             QFileDevice::ReadGroup | QFileDevice::ReadOther);
    // rename() replaces the target in one step; QFile::rename would refuse an existing file.
    if (std::rename(QFile::encodeName(temporaryPath).constData(),
                    QFile::encodeName(target.absoluteFilePath()).constData()) != 0) {
        error(QStringLiteral("cannot write %1: %2")
                  .arg(output, QString::fromLocal8Bit(std::strerror(errno))));
        return false;
    }
    temporary.setAutoRemove(false);
    return true;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("lexitor-words"));
    QCoreApplication::setApplicationVersion(QStringLiteral(LEXITOR_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Builds the Lexitor Trainer word database (dbWords.mdb) from a plain word list.\n"
        "\n"
        "The list holds one word a line, in any letter case. Blank lines and lines starting\n"
        "with '#' are skipped, and surrounding whitespace is ignored. The two-, three- and\n"
        "four-letter words made only of the letters A to Z are kept, upper-cased, once each;\n"
        "every other line is reported with its line number and the reason. One word length\n"
        "can hold at most 32,767 words.\n"
        "\n"
        "The database is built beside OUTPUT under a temporary name and then renamed over it,\n"
        "so a failure never leaves a half-written file or damages an existing one."));
    const QCommandLineOption helpOption = parser.addHelpOption();
    const QCommandLineOption versionOption = parser.addVersionOption();
    const QCommandLineOption quietOption(
        {QStringLiteral("q"), QStringLiteral("quiet")},
        QStringLiteral("Report neither the rejected lines nor the word counts; errors still "
                       "print."));
    parser.addOption(quietOption);
    parser.addPositionalArgument(QStringLiteral("LIST"),
                                 QStringLiteral("The word list; - reads standard input."));
    parser.addPositionalArgument(QStringLiteral("OUTPUT"),
                                 QStringLiteral("The database file to write, e.g. dbWords.mdb."));

    const QString tryHelp = QStringLiteral("Try '%1 --help'.").arg(app.applicationName());
    if (!parser.parse(QCoreApplication::arguments())) {
        error(parser.errorText() + QLatin1Char('\n') + tryHelp);
        return UsageError;
    }
    if (parser.isSet(helpOption)) {
        // The usage line names the program, not the path it was started with.
        QString help = parser.helpText();
        const QString invoked = QCoreApplication::arguments().constFirst();
        const QString usage = QStringLiteral("Usage: ");
        if (help.startsWith(usage + invoked))
            help.replace(usage.size(), invoked.size(), app.applicationName());
        print(stdout, help + QLatin1Char('\n') + QLatin1String(ExitCodeHelp));
        return Success;
    }
    if (parser.isSet(versionOption)) {
        print(stdout, app.applicationName() + QLatin1Char(' ') + app.applicationVersion() +
                          QLatin1Char('\n'));
        return Success;
    }
    const QStringList arguments = parser.positionalArguments();
    if (arguments.size() != 2) {
        error(QStringLiteral("expected a word list and an output file, got %1 argument(s)\n%2")
                  .arg(arguments.size())
                  .arg(tryHelp));
        return UsageError;
    }
    const QString input = arguments[0];
    const QString output = arguments[1];
    if (output.isEmpty() || output == QLatin1String("-")) {
        error(QStringLiteral("the output must be a file name\n%1").arg(tryHelp));
        return UsageError;
    }
    const bool quiet = parser.isSet(quietOption);

    QByteArray contents;
    if (!readList(input, contents))
        return Refused;
    const WordList list = WordList::parse(contents);
    const QString source = input == QLatin1String("-") ? QStringLiteral("<stdin>") : input;

    if (!quiet) {
        for (const WordList::Rejection& r : list.rejections()) {
            QString line = QStringLiteral("%1:%2: \"%3\": %4")
                               .arg(source)
                               .arg(r.line)
                               .arg(printable(r.text), WordList::describe(r.reason));
            if (r.reason == WordList::Reason::Duplicate)
                line += QStringLiteral(" of line %1").arg(r.firstLine);
            print(stderr, line + QLatin1Char('\n'));
        }
        for (int length = WordSchema::ShortestWord; length <= WordSchema::LongestWord; ++length)
            print(stderr,
                  QStringLiteral("%1-letter words: %2\n").arg(length).arg(list.count(length)));
        print(stderr, QStringLiteral("rejected lines: %1\n").arg(list.rejections().size()));
    }

    bool tooMany = false;
    for (int length = WordSchema::ShortestWord; length <= WordSchema::LongestWord; ++length) {
        if (list.count(length) > WordSchema::MaxWordsPerLength) {
            error(QStringLiteral("%1 holds %2 %3 words, more than the 32,767 one word length can "
                                 "hold; nothing written")
                      .arg(source)
                      .arg(list.count(length))
                      .arg(lengthName(length)));
            tooMany = true;
        }
    }
    if (tooMany)
        return Refused;

    if (!writeAtomically(output, list.words()))
        return CannotWrite;
    return Success;
}
