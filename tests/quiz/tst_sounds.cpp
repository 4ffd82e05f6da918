#include "Sounds.h"

#include <QElapsedTimer>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <cmath>

namespace {

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

// The real player, run where there may be no sound server at all: it must return promptly and
// never fail the program.
class TestSounds : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(folder.isValid());
        writeWave(folder.filePath(QStringLiteral("cue.wav")), 300);
        writeWave(folder.filePath(QStringLiteral("other.wav")), 300);
        QFile text(folder.filePath(QStringLiteral("text.wav")));
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write("this is no wave file\n");
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
        QtSoundPlayer player;
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
        QtSoundPlayer player;
        QElapsedTimer timer;
        timer.start();
        QVERIFY(PlaySoundFile(player, folder.filePath(QStringLiteral("cue.wav")), true));
        const qint64 elapsed = timer.elapsed();
        QVERIFY2(elapsed >= 290 && elapsed < 2000, qPrintable(QString::number(elapsed)));

        timer.restart();
        QVERIFY(!PlaySoundFile(player, folder.filePath(QStringLiteral("missing.wav")), true));
        QVERIFY(timer.elapsed() < 250);
    }

private:
    QTemporaryDir folder;
};

QTEST_MAIN(TestSounds)
#include "tst_sounds.moc"
