#pragma once

#include "base/Services.h"

#include <QString>

#include <exception>
#include <utility>

// A run-time error with the description the player sees ("Overflow", "Type mismatch", or the
// database's own message). Shared helpers throw it; the numbered procedure that called them
// reports it.
class AppError : public std::exception
{
public:
    explicit AppError(QString description)
        : description_(std::move(description)), utf8_(description_.toUtf8())
    {}
    const QString& description() const { return description_; }
    const char* what() const noexcept override { return utf8_.constData(); }

    static AppError overflow() { return AppError(QStringLiteral("Overflow")); }
    static AppError typeMismatch() { return AppError(QStringLiteral("Type mismatch")); }
    static AppError invalidUseOfNull() { return AppError(QStringLiteral("Invalid use of Null")); }

private:
    QString description_;
    QByteArray utf8_;
};

// Builds and shows the "Application Error" message.
class ErrorReporter
{
public:
    explicit ErrorReporter(MessageBoxes& boxes) : boxes_(boxes) {}

    static QString locationName(const QString& window, const QString& procedure);
    // description CR LF location "at line " N CR CR "Please email screenshot ..." address
    static QString messageText(const QString& description, const QString& location, int line);

    void report(const QString& description, const QString& location, int line);

private:
    MessageBoxes& boxes_;
};

// Runs the statements of one event procedure under numbered lines. A statement that fails is
// reported with the procedure's location and its line, and the procedure carries on with the
// next statement. Errors never leave a Procedure.
//
//     Procedure p(reporter, "Form1", "Form_Load");
//     p.line(106, [&] { applySkin(); });
//     if (p.test(112, [&] { return FileExists(cursorPath); }))
//         p.line(114, [&] { loadCursor(); });
class Procedure
{
public:
    Procedure(ErrorReporter& reporter, const QString& window, const QString& procedure)
        : reporter_(reporter), location_(ErrorReporter::locationName(window, procedure))
    {}

    // Runs one statement on line n. Returns false when it failed (and was reported).
    template <class Statement> bool line(int n, Statement&& statement)
    {
        current_ = n;
        try {
            std::forward<Statement>(statement)();
            return true;
        } catch (const AppError& e) {
            reporter_.report(e.description(), location_, current_);
        } catch (const std::exception& e) {
            reporter_.report(describe(e), location_, current_);
        }
        return false;
    }

    // Evaluates the condition of a conditional statement on line n. A condition that fails is
    // reported and counts as true: execution resumes inside the part the condition guards.
    template <class Condition> bool test(int n, Condition&& condition)
    {
        current_ = n;
        try {
            return static_cast<bool>(std::forward<Condition>(condition)());
        } catch (const AppError& e) {
            reporter_.report(e.description(), location_, current_);
        } catch (const std::exception& e) {
            reporter_.report(describe(e), location_, current_);
        }
        return true;
    }

    int currentLine() const { return current_; }
    const QString& location() const { return location_; }

private:
    static QString describe(const std::exception& e);

    ErrorReporter& reporter_;
    QString location_;
    int current_ = 0;
};
