#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// A sound read from a RIFF wave file: integer PCM, 8 bits unsigned or 16 bits signed little
// endian, its frames interleaved.
struct WaveSound
{
    int rate = 0;
    int channels = 0;
    int bitsPerSample = 0;
    QByteArray samples;

    int bytesPerFrame() const { return channels * bitsPerSample / 8; }
    int durationMs() const;
};

// The largest sound file read, in bytes: over a minute of CD-quality sound, far more than any cue
// needs. A larger file counts as damaged.
constexpr qint64 MaxSoundFileBytes = 16 * 1024 * 1024;

// Reads a whole sound file. Nothing when it is missing or unreadable, is not a regular file (a
// FIFO, a directory, a device: never opened in a way that could block), or is larger than
// MaxSoundFileBytes.
std::optional<QByteArray> readSoundFile(const QString& path);

// The sound in a wave file's bytes. Nothing when they are no wave file, or hold a format this
// player does not play (compressed, floating point, more than 16 bits, no frames at all). A data
// chunk cut short by the end of the file plays what there is.
std::optional<WaveSound> parseWave(const QByteArray& bytes);
