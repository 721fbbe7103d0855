#include "OrvaneUI.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication App(argc, argv);
    OrvaneUI *Window = new OrvaneUI();
    if (!Window->Construct()) {
        delete Window;
        return -1;
    }
    Window->show();
    const int Result = App.exec();
    // Deleting the window closes the port through its destructor.
    delete Window;
    return Result;
}
