#pragma once

#include "base/Services.h"
#include "sound/WaveFile.h"

#include <optional>

struct pa_context;
struct pa_operation;
struct pa_stream;
struct pa_threaded_mainloop;

// The program's sound player, a client of the desktop's PulseAudio-compatible sound server
// (PulseAudio itself, or PipeWire's pulse server). It lives in its own module (lexitor-sound),
// which LazySoundPlayer loads on the first cue, so that the program starts without the sound
// libraries.
//
// Each cue is read from its file when it is played and written to a playback stream of its own,
// which is drained and closed when the sound has ended: nothing is left open between cues, so
// the program and the sound server sleep until the next one. A new cue closes the stream of the one
// still playing, cutting it off. A file that cannot play (missing, unreadable, not a regular file,
// too large, no wave file, a format other than 8- or 16-bit PCM) plays a short alert tone made in
// memory instead.
//
// The server is connected to in the background when the player is made; a cue asked for before the
// connection is up plays as soon as it is. Without a server the player stays silent and never
// blocks; a server that went away is connected to again on the next cue.
class PulseSoundPlayer : public SoundPlayer
{
public:
    PulseSoundPlayer();
    ~PulseSoundPlayer() override;
    PulseSoundPlayer(const PulseSoundPlayer&) = delete;
    PulseSoundPlayer& operator=(const PulseSoundPlayer&) = delete;

    bool play(const QString& path, bool wait) override;

    // The longest that play(path, true) waits, whatever the file says.
    static constexpr int MaxWaitMs = 10000;

    // The alert tone played in place of a cue that cannot play.
    static WaveSound alertTone();

private:
    struct Cue
    {
        WaveSound sound;
        QByteArray name; // the stream's name, as the desktop's mixer shows it
    };

    static WaveSound makeAlertTone();

    // All below run with the main loop locked.
    void connectContext();
    void start(Cue cue);
    void stopStream();
    static void contextStateChanged(pa_context* context, void* self);
    static void streamStateChanged(pa_stream* stream, void* self);
    static void writable(pa_stream* stream, size_t bytes, void* self);
    static void drained(pa_stream* stream, int success, void* self);

    pa_threaded_mainloop* loop_ = nullptr;
    pa_context* context_ = nullptr;
    pa_stream* stream_ = nullptr;      // the cue playing, if any
    pa_operation* draining_ = nullptr; // the stream's drain, once its sound is written
    Cue playing_;                      // the stream's cue, written as the server asks for it
    qsizetype written_ = 0;            // how much of it
    std::optional<Cue> pending_;       // a cue waiting for the connection
};

// The module's entry point: a new PulseSoundPlayer, owned by the caller.
extern "C" Q_DECL_EXPORT SoundPlayer* lexitorCreateSoundPlayer();
