// Geolago_2: start-up and the event loop.

#include <QApplication>

#include "Graphique.h"
#include "Page_1.h"
#include "Resultats.h"
#include "Texte_Aide.h"
#include "messages.h"
#include "regional.h"

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    geolago::ui::setApplicationTitle(
        geolago::ui::titleFromProgramPath(QCoreApplication::applicationFilePath()));
    geolago::ui::readDecimalSeparator();

    // The main window is shown, maximised, as soon as it exists: its show handler runs
    // before the other windows are created. They start hidden.
    Form1 = new TForm1;
    QObject::connect(Form1, &TForm1::closed, &application, &QCoreApplication::quit);
    Form1->showMaximized();
    Form2 = new TForm2;
    Form4 = new TForm4;
    Form_Aide = new TForm_Aide;

    // Closing the main window ends the program, whichever other windows are open.
    const int status = application.exec();

    delete Form_Aide;
    delete Form4;
    delete Form2;
    delete Form1;
    return status;
}
