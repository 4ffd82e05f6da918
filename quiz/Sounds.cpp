#include "quiz/Sounds.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>
#include <QtDebug>

bool PlaySoundFile(SoundPlayer& player, const QString& path, bool wait)
{
    return player.play(path, wait);
}

QString LazySoundPlayer::moduleFileName()
{
    return QStringLiteral(LEXITOR_SOUND_MODULE);
}

LazySoundPlayer::LazySoundPlayer(const QString& programFolder)
    : modulePath_(QDir(programFolder).filePath(moduleFileName()))
{}

LazySoundPlayer::~LazySoundPlayer() = default;

bool LazySoundPlayer::preload()
{
    if (tried_)
        return player_ != nullptr;
    tried_ = true;
    if (!QFileInfo::exists(modulePath_)) {
        qWarning().noquote() << "No sound, the desktop's alert sound plays instead:" << modulePath_
                             << "is missing";
        return false;
    }
    // Never unloaded: the real player's code must outlive it, and unloading the sound libraries at
    // exit buys nothing.
    QLibrary module(modulePath_);
    module.setLoadHints(QLibrary::PreventUnloadHint);
    const auto create = reinterpret_cast<Factory>(module.resolve(FactoryName));
    if (!create) {
        qWarning().noquote() << "No sound, the desktop's alert sound plays instead:"
                             << module.errorString();
        return false;
    }
    player_.reset(create());
    return player_ != nullptr;
}

bool LazySoundPlayer::play(const QString& path, bool wait)
{
    if (preload())
        return player_->play(path, wait);
    QApplication::beep();
    return false;
}
