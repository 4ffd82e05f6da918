// Feeds the wave file reader arbitrary bytes: it must either refuse them or give a sound this
// player can play, whose samples are whole frames taken from the file.

#include "sound/WaveFile.h"

#include <cstdint>
#include <cstdlib>

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    const std::optional<WaveSound> sound = parseWave(bytes);
    if (!sound)
        return 0;
    check(sound->bitsPerSample == 8 || sound->bitsPerSample == 16);
    check(sound->channels >= 1 && sound->rate > 0);
    check(sound->bytesPerFrame() > 0);
    check(!sound->samples.isEmpty() && sound->samples.size() % sound->bytesPerFrame() == 0);
    // The RIFF header, a format chunk and the data chunk header come first: 44 bytes at least.
    check(sound->samples.size() <= bytes.size() - 44);
    check(bytes.contains(sound->samples));
    check(sound->durationMs() >= 0);
    return 0;
}
