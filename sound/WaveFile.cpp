#include "sound/WaveFile.h"

#include <QtEndian>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

int WaveSound::durationMs() const
{
    const qint64 bytesPerSecond = qint64(rate) * bytesPerFrame();
    return bytesPerSecond > 0 ? int(qint64(samples.size()) * 1000 / bytesPerSecond) : 0;
}

std::optional<QByteArray> readSoundFile(const QString& path)
{
    // Non-blocking, so that a FIFO or a device put in the file's place cannot stall the open; the
    // type check right after it rejects them.
    const QByteArray name = path.toLocal8Bit();
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return std::nullopt;
    struct stat info
    {};
    std::optional<QByteArray> content;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size <= MaxSoundFileBytes) {
        QByteArray bytes(qsizetype(info.st_size), Qt::Uninitialized);
        qsizetype done = 0;
        while (done < bytes.size()) {
            const ssize_t got = ::read(fd, bytes.data() + done, size_t(bytes.size() - done));
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                break;
            done += got;
        }
        if (done == bytes.size())
            content = std::move(bytes);
    }
    ::close(fd);
    return content;
}

std::optional<WaveSound> parseWave(const QByteArray& bytes)
{
    if (bytes.size() < 12 || !bytes.startsWith("RIFF") || bytes.mid(8, 4) != "WAVE")
        return std::nullopt;
    const char* const data = bytes.constData();
    const qint64 end = bytes.size();
    std::optional<WaveSound> sound;
    // Walk the chunks up to the sound data; the format chunk comes before it.
    for (qint64 at = 12; at + 8 <= end;) {
        const QByteArray id = bytes.mid(at, 4);
        const qint64 size = qFromLittleEndian<quint32>(data + at + 4);
        const qint64 body = at + 8;
        if (id == "fmt ") {
            if (size < 16 || body + 16 > end)
                return std::nullopt;
            const quint16 tag = qFromLittleEndian<quint16>(data + body);
            const quint16 channels = qFromLittleEndian<quint16>(data + body + 2);
            const quint32 rate = qFromLittleEndian<quint32>(data + body + 4);
            const quint16 blockAlign = qFromLittleEndian<quint16>(data + body + 12);
            const quint16 bits = qFromLittleEndian<quint16>(data + body + 14);
            constexpr quint16 Pcm = 1;
            if (tag != Pcm || (bits != 8 && bits != 16) || channels < 1 || channels > 8 ||
                rate < 1000 || rate > 192000 || blockAlign != channels * bits / 8)
                return std::nullopt;
            sound = WaveSound{int(rate), int(channels), int(bits), {}};
        } else if (id == "data") {
            if (!sound)
                return std::nullopt;
            const qint64 available = qMin(size, end - body);
            sound->samples = bytes.mid(body, available - available % sound->bytesPerFrame());
            if (sound->samples.isEmpty())
                return std::nullopt;
            return sound;
        }
        at = body + size + (size & 1);
    }
    return std::nullopt;
}
