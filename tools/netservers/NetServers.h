#ifndef KORVEL_NETSERVERS_H
#define KORVEL_NETSERVERS_H

// The servers the tests and the benchmark put in front of a pty on the
// loopback: ser2net, raw and with RFC 2217, and the Modbus TCP gateway on
// libmodbus (tools/bench/mbgateway.c). Each runs as a process of its own
// for the life of its object, on free ports of 127.0.0.1 only.

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

namespace NetServers {

// A port of 127.0.0.1 free when asked, other than Not.
quint16 FreePort(quint16 Not = 0);

// Whether something listens on 127.0.0.1:Port, from the kernel's table:
// asking by connecting would make ser2net open its line.
bool Listening(quint16 Port);

class Ser2net
{
public:
    enum Accepter { Raw = 1, Rfc2217 = 2 };

    ~Ser2net();

    static bool Installed();
    // ser2net serving Pty at Baud from a configuration of its own, with a
    // free port for each accepter asked (Raw, Rfc2217 or both), set up as
    // README asks of a server: each byte passed on at once, a new client
    // taking the line over. Empty once it listens on all of them, else why
    // not.
    QString Start(const QString &Pty, int Baud, int Accepters);

    quint16 RawPort = 0;
    quint16 TelnetPort = 0;
    QProcess Process; // a test stops it mid-command

private:
    QTemporaryDir Dir;
};

class ModbusGateway
{
public:
    ~ModbusGateway();

    // Program (the gateway built with libmodbus; empty where it was not)
    // in front of Pty at Baud, giving each unit WaitMs to answer. Empty
    // once it names its port, else why not.
    QString Start(const QString &Program, const QString &Pty, int Baud, int WaitMs);

    quint16 Port = 0;
    QProcess Process;
};

} // namespace NetServers

#endif
