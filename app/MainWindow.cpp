#include "app/MainWindow.h"

#include "app/StudyFrame.h"
#include "base/AppTitle.h"
#include "base/Branding.h"
#include "base/ErrorReporting.h"
#include "base/ProgramFiles.h"
#include "base/Settings.h"
#include "base/look/DesignUnits.h"
#include "base/look/HandCursor.h"
#include "base/look/ProgramIcon.h"
#include "base/look/PushButton.h"
#include "base/look/WindowLook.h"
#include "words/WordListCatalog.h"
#include "words/WordSchema.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QGroupBox>
#include <QShortcut>
#include <QTimer>
#include <QUrl>

#include <array>

void OpenHomePageAtRandom(Environment& env)
{
    const int k = int(env.random.nextFraction() * 100.0f) + 1;
    if (k != 7)
        return;
    if (!env.urls.open(QUrl(Branding::HomePage)))
        throw AppError(QStringLiteral("The shell command cannot be started"));
}

namespace {

// Qt reports a plain top-level QWidget as a client area ("filler" on the accessibility bus);
// screen readers announce the main window only when it says it is a window ("frame").
QAccessibleInterface* accessibleMainWindow(const QString& className, QObject* object)
{
    if (className == QLatin1String("MainWindow") && object && object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Window);
    return nullptr;
}

// The six test buttons, in the order they are built: the valid-word frame's, then the
// invalid-word frame's, each frame's from the top.
struct TestButton
{
    const char* name;
    TestKind kind;
    int length;
    int top; // twips, within its frame
};
constexpr std::array<TestButton, 6> TestButtons{{
    {"PushButton1", TestKind::ValidWord, 2, 300},
    {"PushButton2", TestKind::ValidWord, 3, 810},
    {"PushButton6", TestKind::ValidWord, 4, 1320},
    {"PushButton4", TestKind::InvalidWord, 2, 300},
    {"PushButton5", TestKind::InvalidWord, 3, 810},
    {"PushButton7", TestKind::InvalidWord, 4, 1320},
}};

// Tab goes from the count box to Help and the study frame, then to the invalid-word tests and
// last to the valid-word tests.
constexpr std::array<const char*, 14> TabOrder{
    "Text1",          "PushButton3",         "StudyButton",     "LookUpButton",
    "ProgressButton", "StudySettingsButton", "WordListsButton", "StudyHelpButton",
    "PushButton4",    "PushButton5",         "PushButton7",     "PushButton1",
    "PushButton2",    "PushButton6",
};

} // namespace

MainWindow::MainWindow(TrainerContext& context, StoreConnection* connection, StudyActions* study,
                       QWidget* parent)
    : QWidget(parent), context_(context), env_(context.env),
      ownConnection_(connection ? nullptr : std::make_unique<WordStoreConnection>(context.store)),
      connection_(connection ? *connection : *ownConnection_),
      driver_(context, [this] { return countBox_->text(); }), study_(study)
{
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(accessibleMainWindow);
        return true;
    }();
    Q_UNUSED(factoryInstalled);
    buildControls();
    if (study_)
        study_->setDueChanged([this] {
            if (counting_)
                refreshDueCount();
        });
}

MainWindow::~MainWindow()
{
    if (study_)
        study_->setDueChanged(nullptr);
}

void MainWindow::buildControls()
{
    setObjectName(QStringLiteral("Form1"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFont(Fonts::window());
    // The written window's height, and what the study frame adds to the one it had.
    setFixedSize(Twips::toPixels(8040), Twips::toPixels(6450 + StudyFrame::HeightTwips - 825));

    buildTestFrames();
    buildCountFrame();
    PushButton* help = PushButton::place(this, "PushButton3", QStringLiteral("Help"),
                                         Twips::rect(120, 5025, 7800, 405));
    connect(help, &QPushButton::clicked, this, &MainWindow::showHelp);
    studyFrame_ = new StudyFrame(env_, study_, this);
    studyFrame_->setGeometry(Twips::rect(120, 5505, 7800, StudyFrame::HeightTwips));
    connect(studyFrame_, &StudyFrame::studyRequested, this, &MainWindow::runStudy);
    auto* studyHelp = new QShortcut(QKeySequence::HelpContents, this);
    connect(studyHelp, &QShortcut::activated, studyFrame_, &StudyFrame::showHelp);
    auto* lookUp = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_L), this);
    connect(lookUp, &QShortcut::activated, studyFrame_, &StudyFrame::lookUp);
    setTabOrderByName();
    countBox_->setFocus(Qt::OtherFocusReason);
    SetWhiteBackColors(this);
    CentreOnScreen(this);
}

QGroupBox* MainWindow::addFrame(const char* name, const QString& caption, const QRect& geometry)
{
    auto* box = new QGroupBox(caption, this);
    box->setObjectName(QLatin1String(name));
    box->setGeometry(geometry);
    box->setFocusPolicy(Qt::NoFocus);
    return box;
}

void MainWindow::buildTestFrames()
{
    addTestButtons(addFrame("Frame2", QStringLiteral("Test type: Choose the valid word"),
                            Twips::rect(120, 120, 7800, 1905)),
                   TestKind::ValidWord);
    addTestButtons(addFrame("Frame3", QStringLiteral("Test type: Choose the invalid word"),
                            Twips::rect(120, 2100, 7800, 1905)),
                   TestKind::InvalidWord);
}

void MainWindow::addTestButtons(QGroupBox* frame, TestKind kind)
{
    for (const TestButton& t : TestButtons) {
        if (t.kind != kind)
            continue;
        const QString name = QLatin1String(t.name);
        PushButton* b =
            PushButton::place(frame, t.name, QStringLiteral("Study %1 Letter Words").arg(t.length),
                              Twips::rect(240, t.top, 7320, 405));
        connect(b, &QPushButton::clicked, this, [this, name, kind, length = t.length] {
            runTest(name + QStringLiteral("_Click"), kind, length);
        });
    }
}

void MainWindow::buildCountFrame()
{
    QGroupBox* frame = addFrame(
        "Frame1", QStringLiteral("How many questions would you like to ask for this test?"),
        Twips::rect(120, 4080, 7800, 825));
    countBox_ = new QuestionCountBox(frame);
    countBox_->setObjectName(QStringLiteral("Text1"));
    countBox_->setGeometry(Twips::rect(240, 300, 7335, 345));
    countBox_->setAccessibleName(frame->title());
    countBox_->setText(QuestionCountBox::Fallback); // the design-time text, before anything listens

    // Text1_Change: every change is remembered as it is, number or not.
    connect(countBox_, &QLineEdit::textChanged, this,
            [](const QString& text) { QuestionCountSetting().store(text); });
}

void MainWindow::setTabOrderByName()
{
    QWidget* previous = nullptr;
    for (const char* name : TabOrder) {
        auto* next = findChild<QWidget*>(QLatin1String(name));
        if (previous)
            setTabOrder(previous, next);
        previous = next;
    }
}

MainWindow::StartUp MainWindow::load()
{
    Procedure p(env_.errors, QStringLiteral("Form1"), QStringLiteral("Form_Load"));
    const QString database = env_.path(QStringLiteral("dbWords.mdb"));

    // Only an ordinary file counts; a folder of that name does not.
    if (p.test(100, [&] { return !QFileInfo(database).isFile(); })) {
        p.line(102, [&] {
            env_.messages.show(database + QStringLiteral(" not found"), env_.appTitle,
                               MessageIcon::None);
        });
        // Line 104, as Form_Load's error messages number it: nothing shown, nothing stored.
        return StartUp::Quit;
    }

    p.line(106, [&] { ApplySkin(this, env_.programFolder); });
    p.line(110, [&] { setWindowTitle(Branding::ProductName); });
    p.line(110, [&] { setWindowIcon(ProgramIcon()); });
    p.line(110, [&] { SetAppTitle(env_.appTitle); });

    const QString cursorFile = env_.path(QStringLiteral("HAND-M.CUR"));
    if (p.test(112, [&] { return FileExists(cursorFile); })) {
        p.line(114, [&] {
            hand_ = LoadHandCursor(cursorFile);
            ApplyHandPointer(this, hand_);
        });
    }

    p.line(116, [&] { OpenHomePageAtRandom(env_); });

    p.line(134, [&] { countBox_->setText(QuestionCountSetting().load()); });

    p.line(136, [&] { connection_.create(); });
    if (p.test(138, [&] { return connection_.isOpen(); }))
        p.line(138, [&] { connection_.close(); });
    p.line(140, [&] { openWordList(database); });

    return StartUp::Show;
}

void MainWindow::openWordList(const QString& bundled)
{
    // The player's own list when one is chosen; the bundled one when it is gone or damaged, said
    // once: the choice falls back with it.
    if (const QString name = WordListSetting().load(); !name.isEmpty()) {
        const QString path = WordListCatalog().pathOf(name);
        try {
            // Read within the time limit first: a list whose views never end opens, then gives
            // no word.
            WordSchema::countWords(path);
            connection_.open(path);
            if (study_)
                study_->wordListOpened(name);
            return;
        } catch (const AppError& e) {
            WordListSetting().store(QString());
            env_.messages.show(QStringLiteral("Your word list \"%1\" can't be read (%2), so the "
                                              "bundled list is used instead.")
                                   .arg(name, e.description()),
                               env_.appTitle, MessageIcon::Warning);
        }
    }
    connection_.open(bundled);
    if (study_)
        study_->wordListOpened(QString());
}

void MainWindow::runTest(const QString& handler, TestKind kind, int length)
{
    driver_.run(handler, QuestionForms::find(kind, length));
    if (!closing_)
        refreshDueCount(); // the test's answers may have settled or missed due words
}

void MainWindow::runStudy()
{
    if (study_)
        study_->study(this);
    if (!closing_)
        refreshDueCount();
}

void MainWindow::refreshDueCount()
{
    if (!study_)
        return;
    studyFrame_->refresh();
}

void MainWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (shownOnce_)
        return;
    shownOnce_ = true;
    // Once the window is on the screen and drawn: the history is not opened before.
    QTimer::singleShot(50, this, [this] {
        counting_ = true;
        refreshDueCount();
    });
}

void MainWindow::showHelp()
{
    Procedure p(env_.errors, QStringLiteral("Form1"), QStringLiteral("PushButton3_Click"));
    p.line(100, [&] { env_.messages.show(HelpText, env_.appTitle, MessageIcon::None); });
}

void MainWindow::queryUnload()
{
    Procedure p(env_.errors, QStringLiteral("Form1"), QStringLiteral("Form_QueryUnload"));
    if (p.test(100, [&] { return connection_.isOpen(); }))
        p.line(100, [&] { connection_.close(); });
    p.line(102, [&] { connection_.release(); });
    p.line(104, [] { QCoreApplication::processEvents(); });
    p.line(106, [] { QCoreApplication::processEvents(); });
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    event->accept();
    // The pending events processed on the way out may hold a second close request.
    if (closing_)
        return;
    closing_ = true;
    queryUnload();
    endProgram_(); // Form_Unload
}

void MainWindow::endProgram()
{
    // Leaves the main loop with 0 and every modal loop now running; a loop started from here on
    // returns at once. Hiding the other windows takes down any modal window still up.
    QCoreApplication::exit(0);
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->isVisible())
            window->hide();
    }
}
