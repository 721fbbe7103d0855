#include "AppMain.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication App(argc, argv);
    return RunMainWindow(App);
}
