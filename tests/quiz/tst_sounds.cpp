#include "TestFiles.h"
#include "quiz/Sounds.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QtEndian>

#include <sys/stat.h>

#include <cmath>
#include <functional>
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

// A PCM wave file of a quiet tone (format tag 1: integer PCM, 3: floating point), and what it
// holds: dataBytes cuts the data chunk short, or claims more than there is.
QByteArray wave(int milliseconds, int bits = 16, int channels = 1, int tag = 1, int dataBytes = -1)
{
    constexpr int rate = 22050;
    const int samples = rate * milliseconds / 1000;
    const int bytes = bits / 8;
    QByteArray data(samples * channels * bytes, '\0');
    for (int i = 0; i < samples * channels && bits == 16; ++i)
        qToLittleEndian<qint16>(qint16(3000 * std::sin(i / channels * 2 * M_PI * 440 / rate)),
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
    u16(quint16(tag));
    u16(quint16(channels));
    u32(rate);                             // frames per second
    u32(quint32(rate * channels * bytes)); // bytes per second
    u16(quint16(channels * bytes));        // block size
    u16(quint16(bits));                    // bits per sample
    file.append("data");
    u32(quint32(dataBytes < 0 ? data.size() : dataBytes));
    file.append(data);
    return file;
}

void writeWave(const QString& path, int milliseconds)
{
    writeFile(path, wave(milliseconds));
}

// Runs work and tells whether a timer due after ms fired meanwhile: whether work waited in an
// event loop at least that long (timers fire in the order they fall due, however busy the
// machine).
bool waitedAtLeast(int ms, const std::function<void()>& work)
{
    bool fired = false;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, [&fired] { fired = true; });
    timer.start(ms);
    work();
    return fired;
}

} // namespace

// The sound player as the program uses it: the real player, a sound server client, loaded from its
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
        writeFile(folder.filePath(QStringLiteral("text.wav")), "this is no wave file\n");
        writeFile(folder.filePath(QStringLiteral("8bit-stereo.wav")), wave(300, 8, 2));
        writeFile(folder.filePath(QStringLiteral("cut.wav")), wave(300, 16, 1, 1, 1 << 30));
        writeFile(folder.filePath(QStringLiteral("32bit.wav")), wave(300, 32));
        writeFile(folder.filePath(QStringLiteral("float.wav")), wave(300, 32, 1, 3));
        writeFile(folder.filePath(QStringLiteral("empty.wav")), wave(0));
        QVERIFY(mkfifo(QFile::encodeName(folder.filePath(QStringLiteral("fifo.wav"))), 0600) == 0);
        QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("folder.wav")));
        QFile huge(folder.filePath(QStringLiteral("huge.wav")));
        QVERIFY(huge.open(QIODevice::WriteOnly));
        huge.write(wave(300));
        QVERIFY(huge.resize(100 * 1024 * 1024)); // sparse: no disk space taken
        programFolder = qEnvironmentVariable("LEXITOR_PROGRAM_DIR");
        QVERIFY2(QFile::exists(QDir(programFolder).filePath(LazySoundPlayer::moduleFileName())),
                 qPrintable(programFolder));
    }

    // Runs first: nothing else in this process has loaded the module yet.
    void loadsTheSoundLibrariesOnlyWhenNeeded()
    {
        const QString module = LazySoundPlayer::moduleFileName();
        QVERIFY(!isMapped(module));
        QVERIFY(!isMapped(QStringLiteral("libpulse")));
        player.emplace(programFolder);
        QVERIFY(!isMapped(module));

        QVERIFY(player->preload());
        QVERIFY(isMapped(module));
        QVERIFY(isMapped(QStringLiteral("libpulse")));
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
        QTest::newRow("8-bit stereo") << "8bit-stereo.wav" << true;
        QTest::newRow("a data chunk cut short plays what there is") << "cut.wav" << true;
        QTest::newRow("32-bit beeps instead") << "32bit.wav" << false;
        QTest::newRow("floating point beeps instead") << "float.wav" << false;
        QTest::newRow("no frames beeps instead") << "empty.wav" << false;
        QTest::newRow("a FIFO beeps instead, without waiting for a writer") << "fifo.wav" << false;
        QTest::newRow("a folder beeps instead") << "folder.wav" << false;
        QTest::newRow("a file too large beeps instead") << "huge.wav" << false;
    }
    void returnsAtOnce()
    {
        QFETCH(QString, file);
        QFETCH(bool, started);
        LazySoundPlayer player(programFolder);
        QVERIFY(!waitedAtLeast(0, [&] {
            QCOMPARE(PlaySoundFile(player, folder.filePath(file), false), started);
            // A second cue, with the first perhaps still playing, cuts it off.
            PlaySoundFile(player, folder.filePath(QStringLiteral("other.wav")), false);
            PlaySoundFile(player, folder.filePath(file), false);
        }));
        // Let the effects load (or fail to) before the player goes.
        QTest::qWait(50);
    }

    void waitingReturnsWhenTheSoundHasEnded()
    {
        LazySoundPlayer player(programFolder);
        QVERIFY(player.preload());
        // The cue lasts 300 ms: a timer due near its end fires first.
        QVERIFY(waitedAtLeast(280, [&] {
            QVERIFY(PlaySoundFile(player, folder.filePath(QStringLiteral("cue.wav")), true));
        }));
        // Nothing to wait for when the file cannot play.
        QVERIFY(!waitedAtLeast(0, [&] {
            QVERIFY(!PlaySoundFile(player, folder.filePath(QStringLiteral("missing.wav")), true));
        }));
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
            writeFile(empty.filePath(LazySoundPlayer::moduleFileName()), moduleContent.toUtf8());
        }
        const QString programFolder =
            subfolder.isEmpty() ? empty.path() : empty.filePath(subfolder);
        LazySoundPlayer player(programFolder);
        // One notice on the first cue; the module is not tried again for the cues after it.
        const QRegularExpression notice(QStringLiteral("^No sound"));
        QTest::ignoreMessage(QtWarningMsg, notice);
        QTest::failOnWarning(notice);

        const QString cue = folder.filePath(QStringLiteral("cue.wav"));
        QVERIFY(!waitedAtLeast(0, [&] {
            QVERIFY(!PlaySoundFile(player, cue, false));
            QVERIFY(!PlaySoundFile(player, cue, true)); // nothing to wait for
            QVERIFY(!player.preload());
            QVERIFY(!PlaySoundFile(player, folder.filePath(QStringLiteral("missing.wav")), false));
        }));
    }

private:
    QTemporaryDir folder;
    QString programFolder;
    // Lives as long as the test object, which goes before the application object.
    std::optional<LazySoundPlayer> player;
};

QTEST_MAIN(TestSounds)
#include "tst_sounds.moc"
