#include "AppMain.h"
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
    QCoreApplication::setApplicationVersion(QStringLiteral(KORVEL_VERSION));
    QCommandLineParser Parser;
    Parser.setApplicationDescription(QStringLiteral("Korvel: configures a LoRa radio over a serial port."));
    Parser.addHelpOption();
    Parser.addVersionOption();
    const QCommandLineOption LogOption(QStringLiteral("log"),
        QStringLiteral("Write the debug log to FILE as well, each line behind the time it was written."),
        QStringLiteral("FILE"));
    Parser.addOption(LogOption);
    Parser.process(App);

    std::unique_ptr<LogFile> Log;
    if (Parser.isSet(LogOption)) {
        Log.reset(new LogFile(Parser.value(LogOption)));
        // The window is wanted all the same.
        if (!Log->IsOpen())
            std::fprintf(stderr, "korvel: cannot write the log to %s: %s\n",
                         qPrintable(Parser.value(LogOption)), qPrintable(Log->ErrorString()));
    }
    return RunMainWindow(App);
}
