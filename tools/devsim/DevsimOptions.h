#ifndef KORVEL_DEVSIMOPTIONS_H
#define KORVEL_DEVSIMOPTIONS_H

// The simulator's command line: what each option sets, checked as a whole.

#include "DeviceFault.h"
#include "SerialLine.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVector>

struct DevsimSettings
{
    bool Help = false;
    bool Version = false;
    bool UsePty = false;
    bool UsePort = false;
    QString PortPath;
    SerialLine::Options Line;
    QVector<int> Addresses; // empty: one device at its committed ModbusID
    QList<DeviceFault> Faults;
};

// Reads the arguments (the program's name first) into Out; false and
// *Error, one line saying what is allowed, when they are refused. With
// Help or Version set nothing else is checked.
bool ParseDevsimArguments(const QStringList &Arguments, DevsimSettings &Out, QString *Error);

QString DevsimHelpText();

#endif
