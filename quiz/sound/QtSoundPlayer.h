#pragma once

#include "Services.h"

#include <QHash>
#include <QString>

class QSoundEffect;

// The program's sound player, over Qt Multimedia. It lives in its own module (lexitor-sound), which
// LazySoundPlayer loads on the first cue, so that the program starts without Qt Multimedia and the
// sound libraries behind it.
//
// One QSoundEffect per file, made the first time that file is played and kept for the next play.
// A new cue stops the one still playing. A file that cannot be read, is no wave file, or fails to
// load beeps instead (QApplication::beep()). Without a sound server it stays silent; play() still
// returns at once.
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

// The module's entry point: a new QtSoundPlayer, owned by the caller.
extern "C" Q_DECL_EXPORT SoundPlayer* lexitorCreateSoundPlayer();
