#include "TestDoubles.h"
#include "TestFiles.h"
#include "base/ErrorReporting.h"
#include "base/look/DesignUnits.h"
#include "base/look/FrameStyle.h"
#include "base/look/HandCursor.h"
#include "base/look/ProgramIcon.h"
#include "base/look/PushButton.h"
#include "base/look/WindowLook.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>

namespace {
QString sourceFile(const QString& name)
{
    return QStringLiteral(LEXITOR_SOURCE_DIR) + QLatin1Char('/') + name;
}

QColor background(const QWidget* w)
{
    return w->palette().color(QPalette::Window);
}

// A window shaped like ours: a frame with a label, a text box and a push button.
struct SampleWindow
{
    SampleWindow()
    {
        frame = new QGroupBox(QStringLiteral("Frame1"), &window);
        label = new QLabel(QStringLiteral("Label1"), frame);
        edit = new QLineEdit(&window);
        button = new PushButton(QStringLiteral("Help"), &window);
    }
    QWidget window;
    QGroupBox* frame;
    QLabel* label;
    QLineEdit* edit;
    PushButton* button;
};
} // namespace

class AppearanceTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void handCursorKeepsItsHotspot()
    {
        const QCursor cursor = LoadHandCursor(sourceFile(QStringLiteral("data/HAND-M.CUR")));
        QFile file(sourceFile(QStringLiteral("data/HAND-M.CUR")));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray header = file.read(14);
        QCOMPARE(cursor.hotSpot(), QPoint(quint8(header[10]) | quint8(header[11]) << 8,
                                          quint8(header[12]) | quint8(header[13]) << 8));
        QCOMPARE(cursor.pixmap().size(), QSize(32, 32));
    }

    void damagedOrStrangeCursorFileFails_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("error"); // "%1": the file's path
        QTest::newRow("no picture") << "text"
                                    << "Invalid picture";
        QTest::newRow("a cursor padded past 1 MB") << "huge"
                                                   << "Invalid picture";
        QTest::newRow("a FIFO is never opened") << "fifo"
                                                << "File not found: %1";
        QTest::newRow("a folder") << "folder"
                                  << "File not found: %1";
    }
    void damagedOrStrangeCursorFileFails()
    {
        QFETCH(QString, kind);
        QFETCH(QString, error);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("HAND-M.CUR"));
        if (kind == QStringLiteral("fifo")) {
            QVERIFY(::mkfifo(QFile::encodeName(path), 0600) == 0);
        } else if (kind == QStringLiteral("folder")) {
            QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("HAND-M.CUR")));
        } else {
            QByteArray bytes("this is not a cursor at all");
            if (kind == QStringLiteral("huge")) {
                QFile real(sourceFile(QStringLiteral("data/HAND-M.CUR")));
                QVERIFY(real.open(QIODevice::ReadOnly));
                bytes = real.readAll();
                bytes.append(QByteArray(int(MaxCursorFileBytes), '\0'));
            }
            writeFile(path, bytes);
        }
        for (int attempt = 0; attempt < 2; ++attempt) { // the cached outcome is the same
            try {
                LoadHandCursor(path);
                QFAIL("expected an error");
            } catch (const AppError& e) {
                QCOMPARE(e.description(), error.arg(path));
            }
        }
    }

    // A file is read once per run: rewritten in place behind the program's back (same size,
    // same time stamp), the cursor stays the one read first; a real change is read again.
    void handCursorIsReadOncePerVersionOfTheFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("HAND-M.CUR"));
        QVERIFY(QFile::copy(sourceFile(QStringLiteral("data/HAND-M.CUR")), path));
        const QByteArray name = QFile::encodeName(path);
        struct stat before
        {};
        QVERIFY(::stat(name.constData(), &before) == 0);
        const QPoint hotSpot = LoadHandCursor(path).hotSpot();
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        const qint64 size = file.size();
        QVERIFY(file.write(QByteArray(int(size), 'x')) == size);
        file.close();
        const timespec times[2] = {before.st_atim, before.st_mtim};
        QVERIFY(::utimensat(AT_FDCWD, name.constData(), times, 0) == 0);
        QCOMPARE(LoadHandCursor(path).hotSpot(), hotSpot);
        QVERIFY(QFile::resize(path, size - 1));
        QVERIFY_THROWS_EXCEPTION(AppError, LoadHandCursor(path));
    }

    void handPointerOnlyOverButtons()
    {
        SampleWindow w;
        const QCursor hand = LoadHandCursor(sourceFile(QStringLiteral("data/HAND-M.CUR")));
        ApplyHandPointer(&w.window, hand);
        QVERIFY(w.button->testAttribute(Qt::WA_SetCursor));
        QCOMPARE(w.button->cursor().hotSpot(), hand.hotSpot());
        QCOMPARE(w.frame->cursor().shape(), Qt::ArrowCursor);
        QCOMPARE(w.window.cursor().shape(), Qt::ArrowCursor);
        ApplyHandPointer(&w.window, std::nullopt);
        QCOMPARE(w.button->cursor().shape(), Qt::ArrowCursor);
    }

    void skinSwitchesToTheDesktopColours_data()
    {
        QTest::addColumn<bool>("skinFile");
        QTest::addColumn<QString>("other"); // something else named x/o.cjs
        QTest::newRow("no skin") << false << QString();
        QTest::newRow("skin file") << true << QString();
        QTest::newRow("a folder of that name is no skin") << false << "folder";
        QTest::newRow("a FIFO of that name is no skin") << false << "fifo";
    }
    void skinSwitchesToTheDesktopColours()
    {
        QFETCH(bool, skinFile);
        QFETCH(QString, other);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("x")));
        if (skinFile) {
            QFile f(dir.filePath(QStringLiteral("x/o.cjs")));
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        if (other == QStringLiteral("folder"))
            QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("x/o.cjs")));
        if (other == QStringLiteral("fifo"))
            QVERIFY(::mkfifo(QFile::encodeName(dir.filePath(QStringLiteral("x/o.cjs"))), 0600) ==
                    0);
        SampleWindow w;
        SetWhiteBackColors(&w.window);
        ApplySkin(&w.window, dir.path());
        const QColor face = QApplication::palette().color(QPalette::Active, QPalette::Button);
        const QColor expected = skinFile ? face : QColor(Qt::white);
        QCOMPARE(background(&w.window), expected);
        QCOMPARE(background(w.frame), expected);
        QCOMPARE(background(w.label), expected);
    }

    void systemColoursLeaveButtonsAndTextBoxesAlone()
    {
        SampleWindow w;
        // They paint with their own roles: the text box with Base, the button with Button.
        const QColor editBefore = w.edit->palette().color(QPalette::Base);
        const QColor buttonBefore = w.button->palette().color(QPalette::Button);
        SetWhiteBackColors(&w.window);
        SetSystemBackColors(&w.window);
        QCOMPARE(w.edit->palette().color(QPalette::Base), editBefore);
        QCOMPARE(w.button->palette().color(QPalette::Button), buttonBefore);
        QVERIFY(!w.edit->autoFillBackground());
    }

    void colourNumbersAreBlueGreenRed()
    {
        QCOMPARE(Colors::fromNumber(Colors::DarkGreen), QColor(0, 100, 0));
        QCOMPARE(Colors::fromNumber(Colors::Red), QColor(255, 0, 0));
        QCOMPARE(Colors::fromNumber(0xFF0000), QColor(0, 0, 255));
        QCOMPARE(Colors::fromNumber(Colors::White), QColor(Qt::white));
    }

    void twipsBecomePixels()
    {
        QCOMPARE(Twips::rect(120, 120, 7800, 1905), QRect(8, 8, 520, 127));
        QCOMPARE(Twips::toPixels(8040), 536);
        QCOMPARE(Twips::toPixels(5550), 370);
    }

    void programIconHasItsWindowSizes()
    {
        const QList<QSize> sizes = ProgramIcon().availableSizes();
        QCOMPARE(sizes.size(), 2);
        QVERIFY(sizes.contains(QSize(32, 32)) && sizes.contains(QSize(48, 48)));
        // The theme's images: every size, square, with transparency.
        for (int s : {32, 48, 128, 256}) {
            const QImage image(
                sourceFile(QStringLiteral("data/icons/lexitor-trainer-%1.png").arg(s)));
            QCOMPARE(image.size(), QSize(s, s));
            QVERIFY(image.hasAlphaChannel());
        }
    }

    void pushButtonCarriesItsOwnFontAndIsNeverDefault()
    {
        PushButton button(QStringLiteral("Study 2 Letter Words"));
        QCOMPARE(button.font().family(), QStringLiteral("Arial"));
        QCOMPARE(button.font().pointSizeF(), 11.25);
        QVERIFY(button.font().bold());
        QVERIFY(!button.autoDefault());
        QVERIFY(!button.isDefault());
    }

    void frameCaptionSitsInTheFrameLine()
    {
        FrameStyle style;
        QWidget window;
        window.setFont(Fonts::window());
        SetWhiteBackColors(&window);
        auto* frame = new QGroupBox(QStringLiteral("Last Question Status"), &window);
        frame->setStyle(&style);
        frame->setGeometry(0, 0, 300, 60);
        auto* button = new PushButton(QStringLiteral("WORD"), frame);
        button->setGeometry(Twips::rect(240, 300, 3000, 405));
        window.resize(300, 60);
        const QImage image = window.grab().toImage();

        const int lineY = frame->fontMetrics().height() / 2;
        const QColor white(Qt::white);
        // The line runs left of the caption, is open behind it, and lies above the first button.
        QVERIFY(image.pixelColor(3, lineY) != white);
        QCOMPARE(image.pixelColor(8, lineY), white);
        QVERIFY(lineY < button->geometry().top());
    }
};

QTEST_MAIN(AppearanceTest)
#include "tst_appearance.moc"
