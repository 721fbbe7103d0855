#include "AppMain.h"
#include "Console.h"
#include "Language.h"
#include "LogFile.h"

#include <QApplication>
#include <QCommandLineParser>

#include <cstdio>
#include <memory>

#ifndef KORVEL_VERSION
#define KORVEL_VERSION "unknown"
#endif

int main(int argc, char *argv[])
{
    QApplication App(argc, argv);
    Console::SetUp();
    Language::Install(QStringLiteral("korvel"));
    QCoreApplication::setApplicationVersion(QStringLiteral(KORVEL_VERSION));
    QCommandLineParser Parser;
    Parser.setApplicationDescription(
        QCoreApplication::translate("main", "Korvel: configures a LoRa radio over a serial port."));
    Parser.addHelpOption();
    Parser.addVersionOption();
    const QCommandLineOption LogOption(QStringLiteral("log"),
        QCoreApplication::translate("main", "Write the debug log to FILE as well, each line behind the time it was "
                                            "written."),
        //: The value of --log, as --help shows it.
        QCoreApplication::translate("main", "FILE"));
    Parser.addOption(LogOption);
    Parser.process(App);

    std::unique_ptr<LogFile> Log;
    if (Parser.isSet(LogOption)) {
        Log.reset(new LogFile(Parser.value(LogOption)));
        // The window is wanted all the same.
        if (!Log->IsOpen())
            std::fprintf(stderr, "korvel: %s\n",
                         Console::Bytes(QCoreApplication::translate("main", "cannot write the log to %1: %2")
                                            .arg(Parser.value(LogOption), Log->ErrorString()))
                             .constData());
    }
    // The window is written in Russian itself; Qt's own texts in it (the
    // notice's button, the fields' menus) stay as they always were, whatever
    // the system's language.
    Language::Uninstall();
    return RunMainWindow(App);
}
