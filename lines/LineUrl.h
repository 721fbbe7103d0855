#ifndef KORVEL_LINEURL_H
#define KORVEL_LINEURL_H

// korvelctl's --port: a local serial port (ttyUSB0, COM3, /dev/ttyUSB0), a
// serial device server on the network, tcp://HOST:PORT (the line's bytes
// as they are) or rfc2217://HOST:PORT (Telnet with COM port control), or a
// Modbus TCP gateway, modbus-tcp://HOST[:PORT] (502 unless given). HOST is
// a name, an IPv4 address or an IPv6 address in brackets. A raw line's
// speed is the server's own setting, which korvelctl cannot read:
// tcp://HOST:PORT?baud=N tells it, for the silence kept between frames
// (without it, that of 9600 Bd). Read as a URL (QUrl), so that escapes and
// brackets mean what they mean everywhere; anything a line does not use
// (a path, a user, a query key it does not know) is refused, not ignored.

#include <QString>

struct LineUrl
{
    enum class Kind { Serial, Tcp, Rfc2217, ModbusTcp };

    Kind Type = Kind::Serial;
    QString Port;        // Serial: the name or path as given
    QString Host;        // network: without brackets
    quint16 TcpPort = 0; // network: 1 to 65535
    int Baud = 0;        // tcp: the speed given with ?baud=N, else 0
};

// False with a one-line *Error naming the accepted forms when Text is none
// of them.
bool ParseLineUrl(const QString &Text, LineUrl *Url, QString *Error);

#endif
