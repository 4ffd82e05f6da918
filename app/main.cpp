#include "Environment.h"
#include "MainWindow.h"
#include "Random.h"
#include "RealServices.h"
#include "Session.h"
#include "Sounds.h"
#include "WordStore.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);

    // Everything below is destroyed before the application object, the sound player included.
    QtMessageBoxes messages;
    SystemClock clock;
    TimeOfDayRandom random(clock);
    DesktopUrlOpener urls;
    LazySoundPlayer sounds(QCoreApplication::applicationDirPath()); // Qt Multimedia on first cue
    Environment env(messages, random, urls, sounds, QCoreApplication::applicationDirPath());
    WordStore store(random);
    Session session(env, store);

    MainWindow window(session);
    if (window.load() == MainWindow::StartUp::Quit)
        return 0;
    window.show();
    return app.exec();
}
