#include "base/ErrorReporting.h"

#include "base/Branding.h"

#include <new>

QString ErrorReporter::locationName(const QString& window, const QString& procedure)
{
    return Branding::LocationPrefix + window + QLatin1Char('.') + procedure + QLatin1Char(' ');
}

QString ErrorReporter::messageText(const QString& description, const QString& location, int line)
{
    return description + QStringLiteral("\r\n") + location + QStringLiteral("at line ") +
           QString::number(line) + QStringLiteral("\r\r") +
           QStringLiteral("Please email screenshot of this message to ") + Branding::SupportAddress;
}

void ErrorReporter::report(const QString& description, const QString& location, int line)
{
    boxes_.show(messageText(description, location, line), QStringLiteral("Application Error"),
                MessageIcon::Warning);
}

QString Procedure::describe(const std::exception& e)
{
    if (dynamic_cast<const std::bad_alloc*>(&e))
        return QStringLiteral("Out of memory");
    return QString::fromUtf8(e.what());
}
