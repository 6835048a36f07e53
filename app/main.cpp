// Geolago_2 [POINT_FILE]: start-up and the event loop. Given a point file (as "Open
// with" passes it), the program starts with it in the main window, its counts and row
// layout proposed.

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

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
    // The interface is French whatever the regional settings: so are Qt's own texts (the
    // file dialogs, the fields' context menus), when its French translation is installed.
    QTranslator qtTexts;
    if (qtTexts.load(QStringLiteral("qtbase_fr"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qtTexts);

    geolago::app::Windows windows(geolago::sharedStore());
    // Closing the main window ends the program, whichever other windows are open.
    QObject::connect(&windows.mainWindow(), &TForm1::closed, &application, &QCoreApplication::quit);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() > 1)
        geolago::ui::guarded([&] { windows.mainWindow().setPointsFile(arguments.at(1)); });
    return application.exec();
}
