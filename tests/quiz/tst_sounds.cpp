#include "Sounds.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <cmath>
#include <optional>

namespace {

// True when a library whose file name contains the text is mapped into this process.
bool isMapped(const QString& text)
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    if (!maps.open(QIODevice::ReadOnly))
        return false;
    return QString::fromUtf8(maps.readAll()).contains(text);
}

// A 16-bit mono PCM wave file of a quiet tone.
void writeWave(const QString& path, int milliseconds)
{
    constexpr int rate = 22050;
    const int samples = rate * milliseconds / 1000;
    QByteArray data(samples * 2, Qt::Uninitialized);
    for (int i = 0; i < samples; ++i)
        qToLittleEndian<qint16>(qint16(3000 * std::sin(i * 2 * M_PI * 440 / rate)),
                                data.data() + 2 * i);
    QByteArray file;
    const auto u32 = [&file](quint32 v) {
        char b[4];
        qToLittleEndian(v, b);
        file.append(b, 4);
    };
    const auto u16 = [&file](quint16 v) {
        char b[2];
        qToLittleEndian(v, b);
        file.append(b, 2);
    };
    file.append("RIFF");
    u32(quint32(36 + data.size()));
    file.append("WAVE");
    file.append("fmt ");
    u32(16);
    u16(1);        // PCM
    u16(1);        // mono
    u32(rate);     // samples per second
    u32(rate * 2); // bytes per second
    u16(2);        // block size
    u16(16);       // bits per sample
    file.append("data");
    u32(quint32(data.size()));
    file.append(data);
    QFile out(path);
    QVERIFY(out.open(QIODevice::WriteOnly));
    out.write(file);
}

} // namespace

// The sound player as the program uses it: the real player over Qt Multimedia, loaded from its
// module in the build's program folder on the first cue, run with no sound server at all. It must
// return promptly and never fail the program. Without the module the desktop's alert sound stands
// in for every cue.
class TestSounds : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        // No sound server, whatever runs on this machine: the case that aborted the process at
        // exit when a sound effect outlived the application object.
        qputenv("PULSE_SERVER", "unix:/nonexistent/pulse/native");
        QVERIFY(folder.isValid());
        writeWave(folder.filePath(QStringLiteral("cue.wav")), 300);
        writeWave(folder.filePath(QStringLiteral("other.wav")), 300);
        QFile text(folder.filePath(QStringLiteral("text.wav")));
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write("this is no wave file\n");
        programFolder = qEnvironmentVariable("LEXITOR_PROGRAM_DIR");
        QVERIFY2(QFile::exists(QDir(programFolder).filePath(LazySoundPlayer::moduleFileName())),
                 qPrintable(programFolder));
    }

    // Runs first: nothing else in this process has loaded the module yet.
    void loadsQtMultimediaOnlyWhenNeeded()
    {
        const QString module = LazySoundPlayer::moduleFileName();
        QVERIFY(!isMapped(module));
        QVERIFY(!isMapped(QStringLiteral("libQt6Multimedia")));
        player.emplace(programFolder);
        QVERIFY(!isMapped(module));

        QVERIFY(player->preload());
        QVERIFY(isMapped(module));
        QVERIFY(isMapped(QStringLiteral("libQt6Multimedia")));
        QVERIFY(player->preload());
        // Played by the player that stays alive until the test object goes, as in the program.
        QVERIFY(PlaySoundFile(*player, folder.filePath(QStringLiteral("cue.wav")), false));
    }

    void returnsAtOnce_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("started");
        QTest::newRow("a wave file") << "cue.wav" << true;
        QTest::newRow("a missing file beeps instead") << "missing.wav" << false;
        QTest::newRow("a file that is no wave file beeps instead") << "text.wav" << false;
        QTest::newRow("a missing folder") << "sounds/correct.wav" << false;
    }
    void returnsAtOnce()
    {
        QFETCH(QString, file);
        QFETCH(bool, started);
        LazySoundPlayer player(programFolder);
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(PlaySoundFile(player, folder.filePath(file), false), started);
        // A second cue, with the first perhaps still playing, cuts it off.
        PlaySoundFile(player, folder.filePath(QStringLiteral("other.wav")), false);
        PlaySoundFile(player, folder.filePath(file), false);
        QVERIFY2(timer.elapsed() < 250, qPrintable(QString::number(timer.elapsed())));
        // Let the effects load (or fail to) before the player goes.
        QTest::qWait(50);
    }

    void waitingReturnsWhenTheSoundHasEnded()
    {
        LazySoundPlayer player(programFolder);
        QVERIFY(player.preload());
        QElapsedTimer timer;
        timer.start();
        QVERIFY(PlaySoundFile(player, folder.filePath(QStringLiteral("cue.wav")), true));
        const qint64 elapsed = timer.elapsed();
        QVERIFY2(elapsed >= 290 && elapsed < 2000, qPrintable(QString::number(elapsed)));

        timer.restart();
        QVERIFY(!PlaySoundFile(player, folder.filePath(QStringLiteral("missing.wav")), true));
        QVERIFY(timer.elapsed() < 250);
    }

    void withoutTheModuleEveryCueBeeps_data()
    {
        QTest::addColumn<QString>("moduleContent"); // empty: no module file at all
        QTest::addColumn<QString>("subfolder");
        QTest::newRow("no module in the program folder") << QString() << QString();
        QTest::newRow("a module that is no library") << "not a library\n" << QString();
        QTest::newRow("a program folder that does not exist") << QString() << "gone";
    }
    void withoutTheModuleEveryCueBeeps()
    {
        QFETCH(QString, moduleContent);
        QFETCH(QString, subfolder);
        QTemporaryDir empty;
        QVERIFY(empty.isValid());
        if (!moduleContent.isEmpty()) {
            QFile module(empty.filePath(LazySoundPlayer::moduleFileName()));
            QVERIFY(module.open(QIODevice::WriteOnly));
            module.write(moduleContent.toUtf8());
        }
        const QString programFolder =
            subfolder.isEmpty() ? empty.path() : empty.filePath(subfolder);
        LazySoundPlayer player(programFolder);
        // One notice on the first cue; the module is not tried again for the cues after it.
        const QRegularExpression notice(QStringLiteral("^No sound"));
        QTest::ignoreMessage(QtWarningMsg, notice);
        QTest::failOnWarning(notice);

        const QString cue = folder.filePath(QStringLiteral("cue.wav"));
        QElapsedTimer timer;
        timer.start();
        QVERIFY(!PlaySoundFile(player, cue, false));
        QVERIFY(!PlaySoundFile(player, cue, true)); // nothing to wait for
        QVERIFY(!player.preload());
        QVERIFY(!PlaySoundFile(player, folder.filePath(QStringLiteral("missing.wav")), false));
        QVERIFY2(timer.elapsed() < 250, qPrintable(QString::number(timer.elapsed())));
    }

private:
    QTemporaryDir folder;
    QString programFolder;
    // Lives as long as the test object, which goes before the application object.
    std::optional<LazySoundPlayer> player;
};

QTEST_MAIN(TestSounds)
#include "tst_sounds.moc"
