#ifndef KORVEL_APPMAIN_H
#define KORVEL_APPMAIN_H

#include <functional>

class QApplication;
class OrvaneUI;

// The life of the process after the application object exists: create and
// build the window, show it, run the event loop, delete the window. Returns
// the exit code: -1 if the window could not be built, else the loop's result.
// Started, if given, runs once the window is shown (tests drive it there).
int RunMainWindow(QApplication &App, const std::function<void(OrvaneUI *)> &Started = nullptr);

#endif
