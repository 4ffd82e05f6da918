#include "base/AppTitle.h"

#include "base/Branding.h"
#include "base/ErrorReporting.h"

QString AppTitleFor(const QString& productName)
{
    QString title = productName;
    do {
        const qsizetype blank = title.lastIndexOf(QLatin1Char(' '));
        if (blank < 0)
            throw AppError(QStringLiteral("Invalid procedure call or argument"));
        title.truncate(blank);
    } while (title.size() > 40);
    return title;
}

void SetAppTitle(QString& appTitle)
{
    appTitle = AppTitleFor(Branding::ProductName);
}
