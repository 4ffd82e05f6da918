#include "QtSoundPlayer.h"

#include <QApplication>
#include <QEventLoop>
#include <QFile>
#include <QSoundEffect>
#include <QTimer>
#include <QUrl>
#include <QtEndian>

#include <climits>
#include <optional>

namespace {

// Reads the header of a RIFF wave file. Returns the length of its sound in milliseconds, or
// nothing when the file cannot be read or is no wave file.
std::optional<int> waveDurationMs(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray head = file.read(12);
    if (head.size() < 12 || !head.startsWith("RIFF") || head.mid(8, 4) != "WAVE")
        return std::nullopt;
    quint32 byteRate = 0;
    // Walk the chunks up to the sound data; the format chunk comes before it.
    for (int chunks = 0; chunks < 64; ++chunks) {
        const QByteArray header = file.read(8);
        if (header.size() < 8)
            return std::nullopt;
        const QByteArray id = header.left(4);
        const quint32 size = qFromLittleEndian<quint32>(header.constData() + 4);
        if (id == "fmt ") {
            const QByteArray format = file.read(qMin<quint32>(size, 16));
            if (format.size() < 12)
                return std::nullopt;
            byteRate = qFromLittleEndian<quint32>(format.constData() + 8);
            if (!file.seek(file.pos() + (size - quint32(format.size())) + (size & 1)))
                return std::nullopt;
        } else if (id == "data") {
            if (byteRate == 0)
                return std::nullopt;
            return int(qMin<quint64>(quint64(size) * 1000 / byteRate, quint64(INT_MAX)));
        } else if (!file.seek(file.pos() + size + (size & 1))) {
            return std::nullopt;
        }
    }
    return std::nullopt;
}

void alert()
{
    QApplication::beep();
}

} // namespace

QtSoundPlayer::QtSoundPlayer() = default;

QtSoundPlayer::~QtSoundPlayer()
{
    for (QSoundEffect* effect : std::as_const(effects_)) {
        effect->stop();
        delete effect;
    }
}

QSoundEffect* QtSoundPlayer::effectFor(const QString& path)
{
    if (QSoundEffect* effect = effects_.value(path)) {
        if (effect->status() != QSoundEffect::Error)
            return effect;
        // It failed to load before; the file may have been replaced since, so load it again.
        effects_.remove(path);
        delete effect;
    }
    auto* effect = new QSoundEffect;
    // A file that passed the header check can still fail to decode (a sample format Qt does not
    // play): the alert sounds then, once the load has failed.
    QObject::connect(effect, &QSoundEffect::statusChanged, effect, [effect] {
        if (effect->status() == QSoundEffect::Error)
            alert();
    });
    effect->setSource(QUrl::fromLocalFile(path));
    effects_.insert(path, effect);
    return effect;
}

bool QtSoundPlayer::play(const QString& path, bool wait)
{
    if (current_)
        current_->stop();
    current_ = nullptr;

    const std::optional<int> duration = waveDurationMs(path);
    if (!duration) {
        alert();
        return false;
    }
    QSoundEffect* effect = effectFor(path);
    effect->play(); // plays as soon as the file has loaded
    current_ = effect;

    if (wait) {
        // The effect's own end-of-play signal comes late and erratically; the file's length is a
        // better clock. Player input waits meanwhile.
        QEventLoop loop;
        QTimer::singleShot(qBound(0, *duration, MaxWaitMs), &loop, &QEventLoop::quit);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    return true;
}

SoundPlayer* lexitorCreateSoundPlayer()
{
    return new QtSoundPlayer;
}
