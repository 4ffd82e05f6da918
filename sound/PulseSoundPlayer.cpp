#include "sound/PulseSoundPlayer.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QTimer>
#include <QtEndian>

#include <pulse/pulseaudio.h>

#include <algorithm>
#include <cmath>

namespace {

bool isOver(pa_context_state_t state)
{
    return state == PA_CONTEXT_FAILED || state == PA_CONTEXT_TERMINATED;
}

} // namespace

WaveSound PulseSoundPlayer::alertTone()
{
    static const WaveSound tone = makeAlertTone();
    return tone;
}

WaveSound PulseSoundPlayer::makeAlertTone()
{
    // A quarter second at 880 Hz, faded in and out so that it does not click.
    constexpr int rate = 44100;
    constexpr int frames = rate / 4;
    constexpr int fade = rate / 100;
    WaveSound tone{rate, 1, 16, QByteArray(frames * 2, Qt::Uninitialized)};
    for (int i = 0; i < frames; ++i) {
        const double envelope = std::min({1.0, double(i) / fade, double(frames - 1 - i) / fade});
        const double value = 0.4 * envelope * std::sin(2 * M_PI * 880 * i / rate);
        qToLittleEndian<qint16>(qint16(std::lround(value * 32767)), tone.samples.data() + 2 * i);
    }
    return tone;
}

PulseSoundPlayer::PulseSoundPlayer()
{
    loop_ = pa_threaded_mainloop_new();
    if (loop_ && pa_threaded_mainloop_start(loop_) < 0) {
        pa_threaded_mainloop_free(loop_);
        loop_ = nullptr;
    }
    if (!loop_)
        return;
    pa_threaded_mainloop_lock(loop_);
    connectContext();
    pa_threaded_mainloop_unlock(loop_);
}

PulseSoundPlayer::~PulseSoundPlayer()
{
    if (!loop_)
        return;
    pa_threaded_mainloop_lock(loop_);
    pending_.reset();
    stopStream();
    if (context_) {
        pa_context_set_state_callback(context_, nullptr, nullptr);
        pa_context_disconnect(context_);
        pa_context_unref(context_);
    }
    pa_threaded_mainloop_unlock(loop_);
    pa_threaded_mainloop_stop(loop_);
    pa_threaded_mainloop_free(loop_);
}

void PulseSoundPlayer::connectContext()
{
    if (context_) {
        pa_context_set_state_callback(context_, nullptr, nullptr);
        pa_context_disconnect(context_);
        pa_context_unref(context_);
        context_ = nullptr;
    }
    pa_proplist* properties = pa_proplist_new();
    pa_proplist_sets(properties, PA_PROP_MEDIA_ROLE, "event");
    const QByteArray name = QCoreApplication::applicationName().toUtf8();
    context_ = pa_context_new_with_proplist(pa_threaded_mainloop_get_api(loop_),
                                            name.isEmpty() ? "Lexitor Trainer" : name.constData(),
                                            properties);
    pa_proplist_free(properties);
    if (!context_)
        return;
    pa_context_set_state_callback(context_, &PulseSoundPlayer::contextStateChanged, this);
    // Never start a sound server of our own: without one the cues are silent.
    pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr);
}

void PulseSoundPlayer::contextStateChanged(pa_context* context, void* self)
{
    auto* player = static_cast<PulseSoundPlayer*>(self);
    const pa_context_state_t state = pa_context_get_state(context);
    if (state == PA_CONTEXT_READY && player->pending_) {
        Cue cue = std::move(*player->pending_);
        player->pending_.reset();
        player->start(std::move(cue));
    } else if (isOver(state)) {
        player->pending_.reset();
    }
}

void PulseSoundPlayer::start(Cue cue)
{
    const WaveSound& sound = cue.sound;
    const pa_sample_spec spec{sound.bitsPerSample == 8 ? PA_SAMPLE_U8 : PA_SAMPLE_S16LE,
                              uint32_t(sound.rate), uint8_t(sound.channels)};
    pa_channel_map map;
    if (!pa_channel_map_init_extend(&map, unsigned(sound.channels), PA_CHANNEL_MAP_WAVEEX))
        return;
    stream_ = pa_stream_new(context_, cue.name.constData(), &spec, &map);
    if (!stream_)
        return;
    playing_ = std::move(cue);
    written_ = 0;
    pa_stream_set_state_callback(stream_, &PulseSoundPlayer::streamStateChanged, this);
    pa_stream_set_write_callback(stream_, &PulseSoundPlayer::writable, this);
    if (pa_stream_connect_playback(stream_, nullptr, nullptr, PA_STREAM_NOFLAGS, nullptr, nullptr) <
        0)
        stopStream();
}

void PulseSoundPlayer::streamStateChanged(pa_stream* stream, void* self)
{
    auto* player = static_cast<PulseSoundPlayer*>(self);
    if (stream != player->stream_)
        return;
    const pa_stream_state_t state = pa_stream_get_state(stream);
    if (state == PA_STREAM_FAILED || state == PA_STREAM_TERMINATED)
        player->stopStream();
}

void PulseSoundPlayer::writable(pa_stream* stream, size_t bytes, void* self)
{
    auto* player = static_cast<PulseSoundPlayer*>(self);
    if (stream != player->stream_ || player->draining_)
        return;
    // As much as the server asks for: a cue shorter than the server's buffer goes in one piece.
    const QByteArray& samples = player->playing_.sound.samples;
    const size_t size = std::min(bytes, size_t(samples.size() - player->written_));
    // On failure the stream is only disconnected here, not let go of while libpulse is inside its
    // callback: its state change to terminated does the rest.
    if (size > 0 && pa_stream_write(stream, samples.constData() + player->written_, size, nullptr,
                                    0, PA_SEEK_RELATIVE) < 0) {
        pa_stream_disconnect(stream);
        return;
    }
    player->written_ += qsizetype(size);
    // The drain starts the playback without waiting for a full buffer and tells when the last
    // sample has been played.
    if (player->written_ == samples.size() &&
        !(player->draining_ = pa_stream_drain(stream, &PulseSoundPlayer::drained, player)))
        pa_stream_disconnect(stream);
}

void PulseSoundPlayer::drained(pa_stream* stream, int, void* self)
{
    auto* player = static_cast<PulseSoundPlayer*>(self);
    if (stream != player->stream_)
        return;
    // The operation ends with this call: only let go of it.
    pa_operation_unref(player->draining_);
    player->draining_ = nullptr;
    player->stopStream();
}

void PulseSoundPlayer::stopStream()
{
    if (draining_) {
        pa_operation_cancel(draining_);
        pa_operation_unref(draining_);
        draining_ = nullptr;
    }
    if (stream_) {
        pa_stream_set_state_callback(stream_, nullptr, nullptr);
        pa_stream_set_write_callback(stream_, nullptr, nullptr);
        pa_stream_disconnect(stream_);
        pa_stream_unref(stream_);
        stream_ = nullptr;
    }
    playing_ = {};
}

bool PulseSoundPlayer::play(const QString& path, bool wait)
{
    std::optional<WaveSound> sound;
    if (const std::optional<QByteArray> bytes = readSoundFile(path))
        sound = parseWave(*bytes);
    const bool playable = sound.has_value();
    Cue cue{playable ? std::move(*sound) : alertTone(),
            playable ? QFileInfo(path).fileName().toUtf8() : QByteArray("alert")};
    const int durationMs = cue.sound.durationMs();

    if (loop_) {
        pa_threaded_mainloop_lock(loop_);
        pending_.reset();
        stopStream();
        if (!context_ || isOver(pa_context_get_state(context_)))
            connectContext();
        if (context_ && pa_context_get_state(context_) == PA_CONTEXT_READY)
            start(std::move(cue));
        else if (context_ && !isOver(pa_context_get_state(context_)))
            pending_ = std::move(cue);
        pa_threaded_mainloop_unlock(loop_);
    }

    if (playable && wait) {
        // Player input waits meanwhile.
        QEventLoop loop;
        QTimer::singleShot(qBound(0, durationMs, MaxWaitMs), &loop, &QEventLoop::quit);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    return playable;
}

SoundPlayer* lexitorCreateSoundPlayer()
{
    return new PulseSoundPlayer;
}
