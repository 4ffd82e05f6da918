#pragma once

#include <QDateTime>
#include <QString>
#include <QTime>
#include <QUrl>

// The program's contact points with the outside world. Each is a small interface so that tests
// can script or record it; main() hands the real ones down.

enum class MessageIcon
{
    None,
    Warning
};

class MessageBoxes
{
public:
    virtual ~MessageBoxes() = default;
    // Shows a modal message with an OK button only and returns when it is closed. The text is
    // passed exactly as the program builds it (CR and CR LF line breaks included).
    virtual void show(const QString& text, const QString& title, MessageIcon icon) = 0;
    // Asks a question with Yes and No buttons; true for Yes. Where nobody can answer, the text is
    // shown and the answer is No.
    virtual bool ask(const QString& text, const QString& title)
    {
        show(text, title, MessageIcon::None);
        return false;
    }
};

class Clock
{
public:
    virtual ~Clock() = default;
    // Nanoseconds since local midnight.
    virtual qint64 nanosecondsOfDay() const = 0;
};

// The date and time of day, for whatever must know when something happened (the study history,
// its schedule). Kept apart from Clock, which only seeds the random source.
class WallClock
{
public:
    virtual ~WallClock() = default;
    virtual QDateTime nowUtc() const = 0;
};

class RandomSource
{
public:
    virtual ~RandomSource() = default;
    // A uniform fraction in [0, 1), single precision.
    virtual float nextFraction() = 0;
};

class UrlOpener
{
public:
    virtual ~UrlOpener() = default;
    // Hands the address to the desktop and returns without waiting. False when it could not.
    virtual bool open(const QUrl& url) = 0;
};

class SoundPlayer
{
public:
    virtual ~SoundPlayer() = default;
    // Plays a wave file; with wait false it starts the sound and returns at once. A sound still
    // playing is cut off. A missing file plays the desktop's alert sound. True when a sound was
    // started.
    virtual bool play(const QString& path, bool wait) = 0;
};
