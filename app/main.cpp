// Geolago_2: start-up and the event loop.

#include <QApplication>

#include "messages.h"
#include "regional.h"
#include "store.h"
#include "windows.h"

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    geolago::ui::setApplicationTitle(
        geolago::ui::titleFromProgramPath(QCoreApplication::applicationFilePath()));
    geolago::ui::readDecimalSeparator();

    geolago::app::Windows windows(geolago::sharedStore());
    // Closing the main window ends the program, whichever other windows are open.
    QObject::connect(&windows.mainWindow(), &TForm1::closed, &application, &QCoreApplication::quit);
    return application.exec();
}
