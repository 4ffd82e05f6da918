#include "app/MainWindow.h"
#include "app/StartupPrefetch.h"
#include "base/Branding.h"
#include "base/Environment.h"
#include "base/Random.h"
#include "base/SystemWallClock.h"
#include "base/look/DesktopUrlOpener.h"
#include "base/look/FrameStyle.h"
#include "base/look/QtMessageBoxes.h"
#include "quiz/Sounds.h"
#include "quiz/TrainerContext.h"
#include "study/History.h"
#include "studywindows/StudyController.h"
#include "words/WordStore.h"

#include <QApplication>
#include <QTimer>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    StartupPrefetch prefetch(QCoreApplication::applicationDirPath());
    // Lets the desktop match our windows to the menu entry and its large icons.
    QGuiApplication::setDesktopFileName(Branding::DesktopFileName);
    QApplication::setStyle(new FrameStyle); // the application owns it

    // Everything below is destroyed before the application object, the sound player included.
    QtMessageBoxes messages;
    SystemClock clock;
    TimeOfDayRandom random(clock);
    DesktopUrlOpener urls;
    LazySoundPlayer sounds(QCoreApplication::applicationDirPath()); // sound libraries on first cue
    Environment env(messages, random, urls, sounds, QCoreApplication::applicationDirPath());
    WordStore store(random);
    TrainerContext context(env, store);
    // The player's answers are kept for the study drill. Nothing is read before the main window is
    // up: the file opens for the study button's due count, or on the first answer.
    SystemWallClock wallClock;
    History history(messages);
    context.recorder = &history;
    context.clock = &wallClock;
    StudyController study(context, history, wallClock);

    MainWindow window(context, nullptr, &study);
    if (window.load() == MainWindow::StartUp::Quit)
        return 0;
    window.show();
    // Load the sound player while the player reads the window, not when the first cue is due.
    QTimer::singleShot(250, &window, [&sounds] { sounds.preload(); });
    return app.exec();
}
