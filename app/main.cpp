#include "Branding.h"
#include "DesktopUrlOpener.h"
#include "Environment.h"
#include "FrameStyle.h"
#include "History.h"
#include "MainWindow.h"
#include "QtMessageBoxes.h"
#include "Random.h"
#include "Session.h"
#include "Sounds.h"
#include "StartupPrefetch.h"
#include "StudyRoom.h"
#include "SystemWallClock.h"
#include "WordStore.h"

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
    Session session(env, store);
    // The player's answers are kept for the study drill. Nothing is read before the main window is
    // up: the file opens for the study button's due count, or on the first answer.
    SystemWallClock wallClock;
    History history(messages);
    session.recorder = &history;
    session.clock = &wallClock;
    StudyRoom study(session, history, wallClock);

    MainWindow window(session, nullptr, &study);
    if (window.load() == MainWindow::StartUp::Quit)
        return 0;
    window.show();
    // Load the sound player while the player reads the window, not when the first cue is due.
    QTimer::singleShot(250, &window, [&sounds] { sounds.preload(); });
    return app.exec();
}
