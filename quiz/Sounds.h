#pragma once

#include "base/Services.h"

#include <QString>

#include <memory>

// Plays a sound cue through the player. With wait false it starts the sound and returns at once;
// with wait true it returns when the sound has finished. A missing or unreadable file is no error:
// the desktop's alert sound plays instead. True when the file's sound was started.
bool PlaySoundFile(SoundPlayer& player, const QString& path, bool wait);

// The program's sound player. The real player (PulseSoundPlayer, a client of the sound server)
// lives in a module in the program folder; it is loaded on the first cue, or earlier through
// preload(), so that start-up does not pay for the sound libraries.
//
// The module is tried once. When it is missing or will not load, every cue plays the desktop's
// alert sound (QApplication::beep()) and play() returns false; the program goes on without sound.
// A loaded module stays loaded for the life of the process.
//
// Lifetime: destroy this player before the QApplication, as main() does. It owns the real player,
// which names itself after the application and waits for a cue in the application's event loop.
class LazySoundPlayer : public SoundPlayer
{
public:
    // The module's file name in the program folder.
    static QString moduleFileName();
    // The function the module exports: a new real player, owned by the caller.
    static constexpr const char* FactoryName = "lexitorCreateSoundPlayer";
    using Factory = SoundPlayer* (*)();

    // Loads the module from the program folder when it is first needed.
    explicit LazySoundPlayer(const QString& programFolder);
    ~LazySoundPlayer() override;
    LazySoundPlayer(const LazySoundPlayer&) = delete;
    LazySoundPlayer& operator=(const LazySoundPlayer&) = delete;

    // Loads the module now, unless that was tried before. True when the real player is there.
    bool preload();

    bool play(const QString& path, bool wait) override;

    QString modulePath() const { return modulePath_; }

private:
    QString modulePath_;
    bool tried_ = false;
    std::unique_ptr<SoundPlayer> player_;
};
