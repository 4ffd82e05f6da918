#include "MainWindow.h"

#include "AppTitle.h"
#include "Branding.h"
#include "DesignUnits.h"
#include "ErrorReporting.h"
#include "HandCursor.h"
#include "Numbers.h"
#include "ProgramFiles.h"
#include "ProgramIcon.h"
#include "PushButton.h"
#include "Settings.h"
#include "WindowLook.h"
#include "WordListCatalog.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QFocusEvent>
#include <QGroupBox>
#include <QMouseEvent>
#include <QTimer>
#include <QUrl>

QuestionCountBox::QuestionCountBox(QWidget* parent) : QLineEdit(parent) {}

void QuestionCountBox::focusInEvent(QFocusEvent* event)
{
    QLineEdit::focusInEvent(event);
    // Coming back from another window or from the box's own context menu is not entering the
    // box: keep the caret and whatever the player selected. The window's first showing is.
    const Qt::FocusReason reason = event->reason();
    if (reason == Qt::PopupFocusReason || (reason == Qt::ActiveWindowFocusReason && focusedBefore_))
        return;
    focusedBefore_ = true;
    selectAll();
    // A click places the cursor after the focus has arrived; select again once it is done.
    selectOnRelease_ = event->reason() == Qt::MouseFocusReason;
}

void QuestionCountBox::mouseReleaseEvent(QMouseEvent* event)
{
    QLineEdit::mouseReleaseEvent(event);
    if (selectOnRelease_) {
        selectOnRelease_ = false;
        selectAll();
    }
}

void QuestionCountBox::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    selectOnRelease_ = false;
    // Only a move to another control of this window counts as leaving the box; another window
    // coming to the front (or the program closing) and the context menu do not.
    const Qt::FocusReason reason = event->reason();
    if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason)
        return;
    if (!Numbers::isNumeric(text()))
        setText(Fallback);
}

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

} // namespace

MainWindow::MainWindow(Session& session, StoreConnection* connection, StudyDesk* study,
                       QWidget* parent)
    : QWidget(parent), session_(session), env_(session.env),
      ownConnection_(connection ? nullptr : std::make_unique<WordStoreConnection>(session.store)),
      connection_(connection ? *connection : *ownConnection_),
      driver_(session, [this] { return text1_->text(); }), study_(study)
{
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(accessibleMainWindow);
        return true;
    }();
    Q_UNUSED(factoryInstalled);
    buildControls();
    if (study_)
        study_->setDueChanged([this] { refreshDueCount(); });
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
    setFixedSize(Twips::toPixels(8040), Twips::toPixels(6450));

    const auto frame = [this](const char* name, const QString& caption, const QRect& geometry) {
        auto* box = new QGroupBox(caption, this);
        box->setObjectName(QLatin1String(name));
        box->setGeometry(geometry);
        box->setFocusPolicy(Qt::NoFocus);
        return box;
    };
    const auto button = [](QWidget* container, const char* name, const QString& caption,
                           const QRect& geometry) {
        auto* b = new PushButton(caption, container);
        b->setObjectName(QLatin1String(name));
        b->setGeometry(geometry);
        return b;
    };
    const QString study2 = QStringLiteral("Study 2 Letter Words");
    const QString study3 = QStringLiteral("Study 3 Letter Words");
    const QString study4 = QStringLiteral("Study 4 Letter Words");

    // clang-format off
    frame2_ = frame("Frame2", QStringLiteral("Test type: Choose the valid word"),   Twips::rect(120, 120, 7800, 1905));
    auto* pb1 = button(frame2_, "PushButton1", study2,                             Twips::rect(240, 300, 7320, 405));
    auto* pb2 = button(frame2_, "PushButton2", study3,                             Twips::rect(240, 810, 7320, 405));
    auto* pb6 = button(frame2_, "PushButton6", study4,                             Twips::rect(240, 1320, 7320, 405));
    frame3_ = frame("Frame3", QStringLiteral("Test type: Choose the invalid word"), Twips::rect(120, 2100, 7800, 1905));
    auto* pb4 = button(frame3_, "PushButton4", study2,                             Twips::rect(240, 300, 7320, 405));
    auto* pb5 = button(frame3_, "PushButton5", study3,                             Twips::rect(240, 810, 7320, 405));
    auto* pb7 = button(frame3_, "PushButton7", study4,                             Twips::rect(240, 1320, 7320, 405));
    frame1_ = frame("Frame1", QStringLiteral("How many questions would you like to ask for this test?"),
                                                                                    Twips::rect(120, 4080, 7800, 825));
    text1_ = new QuestionCountBox(frame1_);
    text1_->setObjectName(QStringLiteral("Text1"));
    text1_->setGeometry(                                                            Twips::rect(240, 300, 7335, 345));
    auto* pb3 = button(this, "PushButton3", QStringLiteral("Help"),                Twips::rect(120, 5025, 7800, 405));
    studyFrame_ = frame("StudyFrame", QStringLiteral("Study what you miss"),        Twips::rect(120, 5505, 7800, 825));
    studyButton_ = button(studyFrame_, "StudyButton", QStringLiteral("Study"),     Twips::rect(240, 300, 2760, 405));
    auto* progress = button(studyFrame_, "ProgressButton", QStringLiteral("Progress"),
                                                                                    Twips::rect(3120, 300, 1260, 405));
    auto* settings = button(studyFrame_, "StudySettingsButton", QStringLiteral("Settings"),
                                                                                    Twips::rect(4500, 300, 1380, 405));
    auto* lists = button(studyFrame_, "WordListsButton", QStringLiteral("Word lists..."),
                                                                                    Twips::rect(6000, 300, 1560, 405));
    // clang-format on

    text1_->setAccessibleName(frame1_->title());
    text1_->setText(QuestionCountBox::Fallback); // the design-time text, before anything listens

    setTabOrder(text1_, pb3);
    setTabOrder(pb3, studyButton_);
    setTabOrder(studyButton_, progress);
    setTabOrder(progress, settings);
    setTabOrder(settings, lists);
    setTabOrder(lists, pb4);
    setTabOrder(pb4, pb5);
    setTabOrder(pb5, pb7);
    setTabOrder(pb7, pb1);
    setTabOrder(pb1, pb2);
    setTabOrder(pb2, pb6);
    text1_->setFocus(Qt::OtherFocusReason);

    SetWhiteBackColors(this);

    // Text1_Change: every change is remembered as it is, number or not.
    connect(text1_, &QLineEdit::textChanged, this,
            [](const QString& text) { QuestionCountSetting().store(text); });

    connect(pb1, &QPushButton::clicked, this,
            [this] { runTest(QStringLiteral("PushButton1_Click"), TestKind::ValidWord, 2); });
    connect(pb2, &QPushButton::clicked, this,
            [this] { runTest(QStringLiteral("PushButton2_Click"), TestKind::ValidWord, 3); });
    connect(pb6, &QPushButton::clicked, this,
            [this] { runTest(QStringLiteral("PushButton6_Click"), TestKind::ValidWord, 4); });
    connect(pb4, &QPushButton::clicked, this,
            [this] { runTest(QStringLiteral("PushButton4_Click"), TestKind::InvalidWord, 2); });
    connect(pb5, &QPushButton::clicked, this,
            [this] { runTest(QStringLiteral("PushButton5_Click"), TestKind::InvalidWord, 3); });
    connect(pb7, &QPushButton::clicked, this,
            [this] { runTest(QStringLiteral("PushButton7_Click"), TestKind::InvalidWord, 4); });
    connect(pb3, &QPushButton::clicked, this, &MainWindow::showHelp);
    connect(studyButton_, &QPushButton::clicked, this, &MainWindow::runStudy);
    connect(progress, &QPushButton::clicked, this, [this] {
        if (study_)
            study_->showProgress(this);
        refreshDueCount(); // forgetting all progress changes it
    });
    connect(settings, &QPushButton::clicked, this, [this] {
        if (study_)
            study_->editSettings(this);
        refreshDueCount();
    });
    connect(lists, &QPushButton::clicked, this, [this] {
        if (study_)
            study_->manageWordLists(this);
        refreshDueCount(); // another list, another history
    });

    CentreOnScreen(this);
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

    p.line(134, [&] { text1_->setText(QuestionCountSetting().load()); });

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

QString MainWindow::studyCaption(std::optional<int> due, std::optional<int> fresh,
                                 const QFontMetrics& metrics, int width)
{
    if (!due)
        return QStringLiteral("Study");
    if (fresh) {
        // The button's frame and a little air either side of the text.
        constexpr int Padding = 16;
        const QString full = QStringLiteral("Study (%1 due, %2 new)").arg(*due).arg(*fresh);
        if (metrics.horizontalAdvance(full) + Padding <= width)
            return full;
    }
    return QStringLiteral("Study (%1 due)").arg(*due);
}

void MainWindow::refreshDueCount()
{
    if (!study_)
        return;
    const std::optional<int> due = study_->dueNow();
    studyButton_->setText(
        studyCaption(due, study_->newToday(), studyButton_->fontMetrics(), studyButton_->width()));
}

void MainWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (shownOnce_)
        return;
    shownOnce_ = true;
    // Once the window is on the screen and drawn: the history is not opened before.
    QTimer::singleShot(50, this, &MainWindow::refreshDueCount);
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
