#include "AppTitle.h"
#include "DesignUnits.h"
#include "ErrorReporting.h"
#include "FrameStyle.h"
#include "HandCursor.h"
#include "ProgramFiles.h"
#include "ProgramIcon.h"
#include "PushButton.h"
#include "Settings.h"
#include "TestDoubles.h"
#include "WindowLook.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QSettings>
#include <QStandardPaths>
#include <QTest>

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
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void appTitleDropsTheLastWord_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("title");
        QTest::newRow("product") << "Lexitor Trainer Software"
                                 << "Lexitor Trainer";
        QTest::newRow("two words") << "Lexitor Trainer"
                                   << "Lexitor";
        QTest::newRow("long name loses words until it fits")
            << "Lexitor Trainer Software For Players Of The Board Game Everywhere"
            << "Lexitor Trainer Software For Players Of";
    }
    void appTitleDropsTheLastWord()
    {
        QFETCH(QString, name);
        QFETCH(QString, title);
        QCOMPARE(AppTitleFor(name), title);
        QVERIFY(AppTitleFor(name).size() <= 40);
    }

    void appTitleWithoutABlankFails()
    {
        QVERIFY_THROWS_EXCEPTION(AppError, AppTitleFor(QStringLiteral("Lexitor")));
        QVERIFY_THROWS_EXCEPTION(AppError, AppTitleFor(QString(50, QLatin1Char('x'))));
    }

    void setAppTitleUsesTheProductName()
    {
        QString title = QStringLiteral("unset");
        SetAppTitle(title);
        QCOMPARE(title, QStringLiteral("Lexitor Trainer"));
    }

    void fileExists_data()
    {
        QTest::addColumn<QString>("relative");
        QTest::addColumn<bool>("exists");
        QTest::newRow("empty path") << QString() << false;
        QTest::newRow("missing") << "nothing-here.txt" << false;
        QTest::newRow("invalid: NUL in name") << QString::fromLatin1("bad\0name", 8) << false;
        QTest::newRow("invalid: name too long") << QString(5000, QLatin1Char('a')) << false;
        QTest::newRow("below a file") << "file.txt/inner" << false;
        QTest::newRow("file") << "file.txt" << true;
    }
    void fileExists()
    {
        QFETCH(QString, relative);
        QFETCH(bool, exists);
        QTemporaryDir dir;
        QFile file(dir.filePath(QStringLiteral("file.txt")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        const QString path = relative.isEmpty() ? QString() : dir.filePath(relative);
        QCOMPARE(FileExists(path), exists);
    }

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

    void handCursorThatIsNoPictureFails()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("HAND-M.CUR"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("this is not a cursor at all");
        file.close();
        try {
            LoadHandCursor(path);
            QFAIL("expected an error");
        } catch (const AppError& e) {
            QCOMPARE(e.description(), QStringLiteral("Invalid picture"));
        }
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
        QTest::addColumn<bool>("skinFolderOnly");
        QTest::newRow("no skin") << false << false;
        QTest::newRow("skin file") << true << false;
        QTest::newRow("a folder of that name is no skin") << false << true;
    }
    void skinSwitchesToTheDesktopColours()
    {
        QFETCH(bool, skinFile);
        QFETCH(bool, skinFolderOnly);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("x")));
        if (skinFile) {
            QFile f(dir.filePath(QStringLiteral("x/o.cjs")));
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        if (skinFolderOnly)
            QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("x/o.cjs")));
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

    void questionCountSetting()
    {
        QSettings(QSettings::UserScope, QStringLiteral("Quenmark")).clear();
        QuestionCountSetting setting;
        QCOMPARE(setting.load(), QStringLiteral("20"));
        setting.store(QStringLiteral("abc"));
        QCOMPARE(setting.load(), QStringLiteral("abc"));
        QSettings raw(QSettings::UserScope, QStringLiteral("Quenmark"));
        QCOMPARE(raw.value(QStringLiteral("Lexitor Trainer Software/Text1")).toString(),
                 QStringLiteral("abc"));
        QVERIFY(raw.fileName().contains(QStringLiteral(".qttest")));
        raw.clear();
    }
};

QTEST_MAIN(AppearanceTest)
#include "tst_appearance.moc"
