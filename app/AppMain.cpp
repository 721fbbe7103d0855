#include "AppMain.h"

#include "OrvaneUI.h"

#include <QApplication>

int RunMainWindow(QApplication &App, const std::function<void(OrvaneUI *)> &Started)
{
    OrvaneUI *Window = new OrvaneUI();
    if (!Window->Construct()) {
        delete Window;
        return -1;
    }
    // Closing the window must end the process even while an exchange waits
    // in its local event loop: there Qt's own quit-on-last-window does not
    // always reach the main loop. Quitting also ends every local wait, so
    // the exchange unwinds at once.
    QObject::connect(&App, &QGuiApplication::lastWindowClosed, &App, &QCoreApplication::quit);
    Window->show();
    if (Started)
        Started(Window);
    const int Result = App.exec();
    // Deleting the window closes the port through its destructor.
    delete Window;
    return Result;
}
