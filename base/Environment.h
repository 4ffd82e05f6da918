#pragma once

#include "base/Branding.h"
#include "base/ErrorReporting.h"
#include "base/Services.h"

#include <QDir>
#include <QString>

#include <utility>

// What every window of the program shares: the outside-world services, the program folder and
// the application title. Built once by main() (or by a test) and handed down.
class Environment
{
public:
    Environment(MessageBoxes& messages, RandomSource& random, UrlOpener& urls, SoundPlayer& sounds,
                QString programFolder)
        : messages(messages), random(random), urls(urls), sounds(sounds),
          programFolder(std::move(programFolder)), errors(messages)
    {}

    // programFolder + separator + name, where name uses '/' between its own parts.
    QString path(const QString& name) const
    {
        return programFolder + QDir::separator() + QDir::toNativeSeparators(name);
    }

    MessageBoxes& messages;
    RandomSource& random;
    UrlOpener& urls;
    SoundPlayer& sounds;
    QString programFolder;
    // Shown as the title of message boxes that give none of their own.
    QString appTitle = Branding::ProductName;
    ErrorReporter errors;
};
