// lexitor-words: builds the word database dbWords.mdb from a plain word list.

#include "DatabaseTarget.h"
#include "base/ErrorReporting.h"
#include "words/WordList.h"
#include "words/WordSchema.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

enum ExitCode
{
    Success = 0,
    Refused = 1,     // the list could not be read or would make an unusable database
    UsageError = 2,  // wrong options or arguments
    CannotWrite = 3, // the database could not be written, or the output is not to be replaced
};

const char* const ExitCodeHelp = "Exit codes:\n"
                                 "  0  the database was written\n"
                                 "  1  the list was refused: it cannot be read, it is no word\n"
                                 "     list, or one word length would hold no words (without\n"
                                 "     --allow-empty) or more than 32,767 words\n"
                                 "  2  usage error: unknown option, missing or extra arguments\n"
                                 "  3  the database could not be written, or OUTPUT is a file\n"
                                 "     that is not to be replaced\n";

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

// A read error in words a user can act on.
QString readError(int error)
{
    switch (error) {
    case EISDIR:
        return QStringLiteral("it is a folder");
    case EIO:
        return QStringLiteral("the disk or device reported an error while reading");
    case EBADF:
        return QStringLiteral("it is not open for reading");
    default:
        return QString::fromLocal8Bit(std::strerror(error));
    }
}

// Feeds the whole input to the list a piece at a time. Returns an error message, or nothing.
QString readInto(int fd, WordList& list)
{
    std::vector<char> buffer(1 << 16);
    for (;;) {
        const ssize_t size = ::read(fd, buffer.data(), buffer.size());
        if (size == 0)
            break;
        if (size < 0) {
            if (errno == EINTR)
                continue;
            if (errno == EAGAIN || errno == EWOULDBLOCK) {
                // Standard input left non-blocking by whatever started us: wait for data.
                pollfd ready = {fd, POLLIN, 0};
                ::poll(&ready, 1, -1);
                continue;
            }
            return readError(errno);
        }
        if (!list.feed(buffer.data(), std::size_t(size)))
            return QString();
    }
    list.finish();
    return QString();
}

// Gives the list's words the meanings FILE has for them. Returns an error message, or nothing.
QString addMeanings(const QString& file, WordList& list)
{
    const int fd = ::open(QFile::encodeName(file).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return QStringLiteral("cannot read %1: %2").arg(file, readError(errno));
    WordList meanings({}, list.letters());
    QString failure = readInto(fd, meanings);
    ::close(fd);
    if (failure.isEmpty() && meanings.lineTooLong())
        failure = QStringLiteral("line %1 is longer than %2 bytes")
                      .arg(meanings.lines())
                      .arg(WordList::MaxLineBytes);
    if (!failure.isEmpty())
        return QStringLiteral("cannot read %1: %2").arg(file, failure);
    list.addMeaningsFrom(meanings);
    return QString();
}

struct Options
{
    QString input;
    QString output;
    QString source; // the list as messages name it
    bool fromStdin = false;
    bool quiet = false;
    bool verbose = false;
    bool force = false;
    bool allowEmpty = false;
    WordList::Letters letters = WordList::Letters::AToZ;
    QString meanings;
};

QString description()
{
    return QStringLiteral(
               "Builds the Lexitor Trainer word database (dbWords.mdb) from a plain word list.\n"
               "\n"
               "The list holds one word a line, in any letter case, optionally followed by its\n"
               "meaning after a tab or space. Blank lines and lines starting with '#' are "
               "skipped,\n"
               "and surrounding whitespace is ignored. The two-, three- and\n"
               "four-letter words made only of the letters A to Z are kept, upper-cased, once "
               "each\n"
               "(with --fold, letters with diacritics are folded to A-Z first: ETE for été).\n"
               "The rejected lines are counted by reason, with the first %1 of each shown. One "
               "word\n"
               "length can hold at most 32,767 words, and each length needs at least one word.\n"
               "The list is UTF-8, with or without a byte-order mark, or UTF-16 starting with a\n"
               "byte-order mark; lines end in LF, CR LF or CR. A line longer than %2 bytes means\n"
               "the input is no word list, and it is refused.\n"
               "\n"
               "OUTPUT is replaced only when it is a word database, an empty file or (with "
               "--force)\n"
               "another regular file; a device, FIFO, socket, folder or the list itself never is. "
               "A\n"
               "symbolic link is followed, and the file it names keeps its mode and owner.\n"
               "The database is built beside OUTPUT under a temporary name and then renamed over "
               "it,\n"
               "so a failure or an interruption never leaves a half-written file or damages an\n"
               "existing one.")
        .arg(WordList::ExamplesPerReason)
        .arg(WordList::MaxLineBytes);
}

void printHelp(const QCommandLineParser& parser)
{
    // The usage line names the program, not the path it was started with.
    QString help = parser.helpText();
    const QString invoked = QCoreApplication::arguments().constFirst();
    const QString usage = QStringLiteral("Usage: ");
    if (help.startsWith(usage + invoked))
        help.replace(usage.size(), invoked.size(), QCoreApplication::applicationName());
    print(stdout, help + QLatin1Char('\n') + QLatin1String(ExitCodeHelp));
}

// Reads the command line into options. Returns the exit code when the run ends here (help,
// version, a usage error).
std::optional<int> parseArguments(const QCoreApplication& app, Options& options)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(description());
    const QCommandLineOption helpOption = parser.addHelpOption();
    const QCommandLineOption versionOption = parser.addVersionOption();
    const QCommandLineOption quietOption(
        {QStringLiteral("q"), QStringLiteral("quiet")},
        QStringLiteral("Report neither the rejected lines nor the word counts; errors still "
                       "print."));
    const QCommandLineOption verboseOption(
        QStringLiteral("verbose"),
        QStringLiteral("Show every rejected line, not only the first %1 of each reason.")
            .arg(WordList::ExamplesPerReason));
    const QCommandLineOption foldOption(
        QStringLiteral("fold"),
        QStringLiteral("Fold letters with diacritics to A-Z: decomposed, without their marks (É "
                       "is E, Ç is C); ß is SS, Æ AE, Œ OE, Ø O, Đ D, Ł L, ı I. Words with "
                       "letters that don't fold are rejected."));
    const QCommandLineOption forceOption(
        QStringLiteral("force"),
        QStringLiteral("Replace OUTPUT even when it is a regular file that is not a word "
                       "database."));
    const QCommandLineOption allowEmptyOption(
        QStringLiteral("allow-empty"),
        QStringLiteral("Write the database even when a word length has no words."));
    const QCommandLineOption meaningsOption(
        QStringLiteral("meanings"),
        QStringLiteral("Take the meanings of words that the list gives none from FILE, a list of "
                       "the same form (WORD, then a tab or space, then its meaning)."),
        QStringLiteral("FILE"));
    parser.addOptions(
        {quietOption, verboseOption, foldOption, forceOption, allowEmptyOption, meaningsOption});
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
        printHelp(parser);
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
    options.input = input;
    options.output = output;
    options.quiet = parser.isSet(quietOption);
    options.verbose = parser.isSet(verboseOption) && !options.quiet;
    options.fromStdin = input == QLatin1String("-");
    options.source = options.fromStdin ? QStringLiteral("<stdin>") : input;
    options.force = parser.isSet(forceOption);
    options.allowEmpty = parser.isSet(allowEmptyOption);
    if (parser.isSet(foldOption))
        options.letters = WordList::Letters::Folded;
    options.meanings = parser.value(meaningsOption);
    return std::nullopt;
}

// Opens the word list. Returns the exit code when it can't be read.
std::optional<int> openInput(const Options& o, bool stdinClosed, int* fd, struct stat* status)
{
    if (o.fromStdin && stdinClosed) {
        error(QStringLiteral("cannot read the word list from standard input: it is closed. Give "
                             "the list's file name instead of -, or pipe the list in."));
        return Refused;
    }
    *fd = o.fromStdin ? STDIN_FILENO
                      : ::open(QFile::encodeName(o.input).constData(), O_RDONLY | O_CLOEXEC);
    if (*fd < 0 || ::fstat(*fd, status) != 0) {
        error(QStringLiteral("cannot read %1: %2").arg(o.source, readError(errno)));
        return Refused;
    }
    if (S_ISDIR(status->st_mode)) {
        error(QStringLiteral("cannot read %1: %2").arg(o.source, readError(EISDIR)));
        return Refused;
    }

    return std::nullopt;
}

// Shows a rejected line: "LIST:7: \"AA\": duplicate of line 1".
void printRejected(const Options& o, const WordList::Sample& sample, WordList::Encoding encoding)
{
    print(stderr,
          QStringLiteral("%1:%2: %3\n")
              .arg(o.source, QString::number(sample.line), WordList::describe(sample, encoding)));
}

// Reports what was kept and rejected. True when the words can make a database.
bool reportAndCheck(const Options& o, const WordList& list)
{
    if (!o.quiet) {
        print(stderr, list.report());
        bool someNotShown = false;
        for (int reason = 0; reason < WordList::ReasonCount; ++reason)
            someNotShown = someNotShown || (!o.verbose && list.rejected(WordList::Reason(reason)) >
                                                              WordList::ExamplesPerReason);
        if (someNotShown)
            print(stderr, QStringLiteral("(only the first %1 lines of each reason are shown; "
                                         "--verbose shows them all)\n")
                              .arg(WordList::ExamplesPerReason));
    }

    bool refused = false;
    for (int length = WordSchema::ShortestWord; length <= WordSchema::LongestWord; ++length) {
        const QString refusal = list.refusal(length, o.allowEmpty);
        if (refusal.isEmpty())
            continue;
        error(o.source + QLatin1Char(' ') + refusal + QStringLiteral("; nothing written") +
              (list.count(length) == 0
                   ? QStringLiteral(" (--allow-empty writes the database anyway)")
                   : QString()));
        refused = true;
    }
    return !refused;
}

// Reads the list and writes the database; returns the exit code.
int run(const Options& o, bool stdinClosed)
{
    int fd = -1;
    struct stat inputStatus = {};
    if (const std::optional<int> failed = openInput(o, stdinClosed, &fd, &inputStatus))
        return *failed;

    // The output is checked before the list is read, which may take long or never end.
    std::optional<DatabaseTarget> target;
    try {
        target.emplace(o.output, S_ISREG(inputStatus.st_mode) ? &inputStatus : nullptr, o.force);
    } catch (const AppError& e) {
        error(e.description());
        return CannotWrite;
    }

    // Every rejected line as it comes with --verbose, else the list's samples once it is read.
    const WordList* reader = nullptr;
    WordList::RejectionHandler everyLine;
    if (o.verbose)
        everyLine = [&](const WordList::Rejection& r) {
            printRejected(o, {r.line, WordList::shownText(r), r.reason, r.firstLine},
                          reader->encoding());
        };
    WordList list(everyLine, o.letters);
    reader = &list;
    const QString readFailure = readInto(fd, list);
    if (!o.quiet && !o.verbose)
        for (const WordList::Sample& sample : list.samples())
            printRejected(o, sample, list.encoding());
    if (!readFailure.isEmpty()) {
        error(QStringLiteral("cannot read %1: %2").arg(o.source, readFailure));
        return Refused;
    }
    if (list.lineTooLong()) {
        error(QStringLiteral("line %1 of %2 is longer than %3 bytes: this is not a word list; "
                             "nothing written")
                  .arg(list.lines())
                  .arg(o.source)
                  .arg(WordList::MaxLineBytes));
        return Refused;
    }

    if (!reportAndCheck(o, list))
        return Refused;

    if (!o.meanings.isEmpty()) {
        const QString failure = addMeanings(o.meanings, list);
        if (!failure.isEmpty()) {
            error(failure);
            return Refused;
        }
    }

    try {
        WordSchema::writeDatabase(target->temporaryPath(), list.words(), list.meanings());
    } catch (const AppError& e) {
        error(QStringLiteral("cannot write %1: %2").arg(o.output, e.description()));
        return CannotWrite;
    }
    try {
        target->replace();
    } catch (const AppError& e) {
        error(e.description());
        return CannotWrite;
    }
    return Success;
}

} // namespace

int main(int argc, char* argv[])
{
    // A closed standard stream would be taken by the next file opened, and the messages meant
    // for it written there.
    const bool stdinClosed = ::fcntl(STDIN_FILENO, F_GETFD) < 0;
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd)
        if (::fcntl(fd, F_GETFD) < 0 && ::open("/dev/null", O_RDWR) != fd)
            return CannotWrite;
    // A closed pipe on stderr makes writes fail instead of killing the run midway.
    std::signal(SIGPIPE, SIG_IGN);

    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("lexitor-words"));
    QCoreApplication::setApplicationVersion(QStringLiteral(LEXITOR_VERSION));
    Options options;
    if (const std::optional<int> done = parseArguments(app, options))
        return *done;
    return run(options, stdinClosed);
}
