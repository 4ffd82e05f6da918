#pragma once

#include "Services.h"

#include <QHash>
#include <QString>

#include <memory>

class QSoundEffect;

// Plays a sound cue through the player. With wait false it starts the sound and returns at once;
// with wait true it returns when the sound has finished. A missing or unreadable file is no error:
// the desktop's alert sound plays instead. True when the file's sound was started.
bool PlaySoundFile(SoundPlayer& player, const QString& path, bool wait);

// The program's sound player, over Qt Multimedia.
//
// One QSoundEffect per file, made the first time that file is played (nothing is loaded at
// start-up) and kept for the next play. A new cue stops the one still playing. A file that cannot
// be read, is no wave file, or fails to load beeps instead (QApplication::beep()). Without a sound
// server it stays silent; play() still returns at once.
//
// Lifetime: destroy the player BEFORE the QApplication. A QSoundEffect that is still alive while
// the application object is destroyed aborts the process when no sound server is running.
class QtSoundPlayer : public SoundPlayer
{
public:
    QtSoundPlayer();
    ~QtSoundPlayer() override;
    QtSoundPlayer(const QtSoundPlayer&) = delete;
    QtSoundPlayer& operator=(const QtSoundPlayer&) = delete;

    bool play(const QString& path, bool wait) override;

    // The longest that play(path, true) waits, whatever the file says.
    static constexpr int MaxWaitMs = 10000;

private:
    QSoundEffect* effectFor(const QString& path);

    QHash<QString, QSoundEffect*> effects_; // owned; deleted in the destructor
    QSoundEffect* current_ = nullptr;
};
